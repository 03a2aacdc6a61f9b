# lumo_add_test_suite(<name> <dir> [libs...])
#
# Builds every <dir>/*_test.cpp (dir relative to the calling CMakeLists.txt)
# into one GoogleTest executable <name>, links it with the given libraries
# plus gtest_main and gmock, and registers each test with ctest.
# New test files are picked up automatically on the next build.

include_guard(GLOBAL)
include(GoogleTest)

function(lumo_add_test_suite name dir)
    get_filename_component(_dir "${dir}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    file(GLOB _sources CONFIGURE_DEPENDS "${_dir}/*_test.cpp")
    if(NOT _sources)
        message(STATUS "LUMO: no *_test.cpp in ${_dir} yet, skipping ${name}")
        return()
    endif()

    add_executable(${name} ${_sources})
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main GTest::gmock)
    # Export the executable's symbols so dladdr() can name functions that
    # live in the test binary itself (what a host application would see).
    set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)

    # A suite may need its own sanitizer options (LUMO_SANITIZER_ENV_<name>).
    # No test reaches the user's session bus: a loaded player host would put
    # its media controls there, and make the application object headless.
    # The tests of those controls start a bus of their own.
    set(_properties TIMEOUT 300 ENVIRONMENT_MODIFICATION "DBUS_SESSION_BUS_ADDRESS=unset:")
    if(LUMO_SANITIZE AND DEFINED LUMO_SANITIZER_ENV_${name})
        list(APPEND _properties ENVIRONMENT "${LUMO_SANITIZER_ENV_${name}}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${_properties})
endfunction()
