# lumo_add_test_suite(<name> <dir> [SESSION_BUS] [libs...])
#
# Builds every <dir>/*_test.cpp (dir relative to the calling CMakeLists.txt)
# into one GoogleTest executable <name>, links it with the given libraries
# plus gtest_main and gmock, and registers each test with ctest, labelled
# <name> (ctest -L '^<name>$' runs one suite). New test files are picked up
# automatically on the next build.
#
# SESSION_BUS registers every test a second time, named <test>.session_bus,
# on the run's private session bus (lumo_add_session_bus_fixture), for the
# suites that reach the player: a desktop always has a session bus, and with
# one a loaded player host starts its media controls. Their label is
# <name>.session_bus (ctest -L session_bus runs them all).

include_guard(GLOBAL)
include(GoogleTest)

# The private session bus's socket; the fixture's tests start and stop it.
set(LUMO_TEST_SESSION_BUS_FOLDER "${CMAKE_BINARY_DIR}/test-session-bus")
set(LUMO_TEST_SESSION_BUS_ADDRESS "unix:path=${LUMO_TEST_SESSION_BUS_FOLDER}/bus")

# One dbus-daemon for the whole ctest run (fixture lumo_session_bus): ctest
# starts it before the first test that needs it and stops it after the last,
# with -j too. Starting it stops whatever an earlier run left behind.
function(lumo_add_session_bus_fixture)
    find_program(LUMO_DBUS_DAEMON dbus-daemon)
    find_program(LUMO_DBUS_SEND dbus-send)
    if(NOT LUMO_DBUS_DAEMON OR NOT LUMO_DBUS_SEND)
        message(STATUS "LUMO: no dbus-daemon/dbus-send, the suites run without a session bus only")
        return()
    endif()
    set(_script "${PROJECT_SOURCE_DIR}/tests/session_bus.sh")
    add_test(NAME session_bus_start COMMAND bash "${_script}" start "${LUMO_TEST_SESSION_BUS_FOLDER}")
    add_test(NAME session_bus_stop COMMAND bash "${_script}" stop "${LUMO_TEST_SESSION_BUS_FOLDER}")
    set_tests_properties(session_bus_start PROPERTIES FIXTURES_SETUP lumo_session_bus TIMEOUT 30)
    set_tests_properties(session_bus_stop PROPERTIES FIXTURES_CLEANUP lumo_session_bus TIMEOUT 30)
    set_property(GLOBAL PROPERTY LUMO_SESSION_BUS_FIXTURE ON)
endfunction()

function(lumo_add_test_suite name dir)
    cmake_parse_arguments(PARSE_ARGV 2 _suite "SESSION_BUS" "" "")
    get_filename_component(_dir "${dir}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    file(GLOB _sources CONFIGURE_DEPENDS "${_dir}/*_test.cpp")
    if(NOT _sources)
        message(STATUS "LUMO: no *_test.cpp in ${_dir} yet, skipping ${name}")
        return()
    endif()

    add_executable(${name} ${_sources})
    target_link_libraries(${name} PRIVATE ${_suite_UNPARSED_ARGUMENTS} GTest::gtest_main GTest::gmock)
    # Export the executable's symbols so dladdr() can name functions that
    # live in the test binary itself (what a host application would see).
    set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)

    # A suite may need its own sanitizer options (LUMO_SANITIZER_ENV_<name>).
    set(_properties TIMEOUT 300)
    if(LUMO_SANITIZE AND DEFINED LUMO_SANITIZER_ENV_${name})
        list(APPEND _properties ENVIRONMENT "${LUMO_SANITIZER_ENV_${name}}")
    endif()

    # No test reaches the user's session bus: a loaded player host would put
    # its media controls there, and make the application object headless.
    # The tests of those controls start a bus of their own.
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${_properties} ENVIRONMENT_MODIFICATION "DBUS_SESSION_BUS_ADDRESS=unset:" LABELS ${name})

    # The same tests again with the run's private bus, as on a desktop.
    get_property(_have_bus GLOBAL PROPERTY LUMO_SESSION_BUS_FIXTURE)
    if(_suite_SESSION_BUS AND _have_bus)
        gtest_discover_tests(${name}
            TEST_SUFFIX ".session_bus"
            DISCOVERY_TIMEOUT 60
            PROPERTIES ${_properties}
                ENVIRONMENT_MODIFICATION "DBUS_SESSION_BUS_ADDRESS=set:${LUMO_TEST_SESSION_BUS_ADDRESS}"
                FIXTURES_REQUIRED lumo_session_bus
                LABELS ${name}.session_bus)
    endif()
endfunction()
