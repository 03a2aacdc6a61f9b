# What `cmake --install` puts where: the libraries, the public headers, a
# CMake package (find_package(LUMOAudioPlayer) with the imported targets
# LUMOAudioPlayer::lumo and LUMOAudioPlayer::LUMOAudioPlayer), a pkg-config
# file, the programs, the man page, the Python module and the system's class
# registration, so that hosts create the object without registering first.

include(CMakePackageConfigHelpers)

set(LUMO_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/LUMOAudioPlayer")

install(TARGETS LUMOAudioPlayer lumo
    EXPORT LUMOAudioPlayerTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The modules the library loads when first needed (cmake/LumoModules.cmake).
get_property(_lumo_lazy_modules GLOBAL PROPERTY LUMO_LAZY_MODULES)
install(TARGETS ${_lumo_lazy_modules} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/lumo)
install(TARGETS lumo-host lumo-trace-monitor lumo-check-playlist
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/lumo" DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES "${PROJECT_SOURCE_DIR}/docs/lumo-host.1" "${PROJECT_SOURCE_DIR}/docs/lumo-check-playlist.1"
    "${PROJECT_SOURCE_DIR}/docs/lumo-trace-monitor.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The MPRIS service's DesktopEntry names this file; sound menus take the
# player's name and icon from it.
install(FILES "${PROJECT_SOURCE_DIR}/data/lumo-audio-player.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/data/lumo-audio-player.svg"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(EXPORT LUMOAudioPlayerTargets
    NAMESPACE LUMOAudioPlayer::
    DESTINATION ${LUMO_CMAKE_DIR})
configure_package_config_file(
    "${PROJECT_SOURCE_DIR}/cmake/LUMOAudioPlayerConfig.cmake.in"
    "${PROJECT_BINARY_DIR}/LUMOAudioPlayerConfig.cmake"
    INSTALL_DESTINATION ${LUMO_CMAKE_DIR})
write_basic_package_version_file(
    "${PROJECT_BINARY_DIR}/LUMOAudioPlayerConfigVersion.cmake"
    COMPATIBILITY SameMajorVersion)
install(FILES
    "${PROJECT_BINARY_DIR}/LUMOAudioPlayerConfig.cmake"
    "${PROJECT_BINARY_DIR}/LUMOAudioPlayerConfigVersion.cmake"
    DESTINATION ${LUMO_CMAKE_DIR})

# The pkg-config files find their prefix from their own place (pkg-config's
# pcfiledir), so a tree installed under any prefix stays right, whatever
# the depth of the libdir (lib, lib/x86_64-linux-gnu).
# LUMOAudioPlayer: C++ hosts; the wrapper's headers need C++20.
# lumo: C hosts, the C API alone (a C compiler warns at -std=c++20).
file(RELATIVE_PATH LUMO_PC_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" LUMO_PC_PREFIX "${LUMO_PC_PREFIX}")
set(LUMO_PC_NAME LUMOAudioPlayer)
set(LUMO_PC_DESCRIPTION "the client library C++ hosts link (lumo/lumo_audio_client.h, and the C API lumo/lumo.h)")
set(LUMO_PC_CFLAGS "-I\${includedir} -std=c++20")
configure_file("${PROJECT_SOURCE_DIR}/cmake/LUMOAudioPlayer.pc.in" "${PROJECT_BINARY_DIR}/LUMOAudioPlayer.pc" @ONLY)
set(LUMO_PC_NAME lumo)
set(LUMO_PC_DESCRIPTION "the client library C hosts link (the C API lumo/lumo.h)")
set(LUMO_PC_CFLAGS "-I\${includedir}")
configure_file("${PROJECT_SOURCE_DIR}/cmake/LUMOAudioPlayer.pc.in" "${PROJECT_BINARY_DIR}/lumo.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/LUMOAudioPlayer.pc" "${PROJECT_BINARY_DIR}/lumo.pc"
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python module goes where Debian's python3 finds modules of packages.
set(LUMO_PYTHON_DIR "lib/python3/dist-packages" CACHE STRING "Where the Python module is installed, below the prefix")
install(FILES "${PROJECT_SOURCE_DIR}/host/python/lumo.py" DESTINATION ${LUMO_PYTHON_DIR})
install(FILES "${PROJECT_SOURCE_DIR}/host/python/play_example.py"
    DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# The system's registration names the library at the prefix the install
# actually goes to (a package stages it with its own prefix), so it is
# written at install time.
install(CODE "
    set(_library \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/libLUMOAudioPlayer.so.${PROJECT_VERSION_MAJOR}\")
    set(_folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/lumo/classes\")
    execute_process(COMMAND \"$<TARGET_FILE:lumo-registration-text>\" \"\${_library}\"
        OUTPUT_VARIABLE _text RESULT_VARIABLE _failed)
    if(_failed)
        message(FATAL_ERROR \"cannot make the class registration\")
    endif()
    file(MAKE_DIRECTORY \"\${_folder}\")
    file(WRITE \"\${_folder}/LUMOAudioPlayer.cLUMOAudio.class\" \"\${_text}\")
    message(STATUS \"Installing: \${_folder}/LUMOAudioPlayer.cLUMOAudio.class\")
")
