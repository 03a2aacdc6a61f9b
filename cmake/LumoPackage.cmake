# make deb: one Debian binary package with everything `cmake --install`
# puts in place, under /usr. dpkg-shlibdeps works out the library
# dependencies; the GStreamer plugins that play files are loaded at run
# time, so they are named here.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "lumo-audio-player")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}: an audio player component for host applications")
set(CPACK_PACKAGE_CONTACT "LUMO Audio Player developers <lumo@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The build keeps its debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, python3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-ugly, gstreamer1.0-pulseaudio | gstreamer1.0-alsa, dbus")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A shared library a host application loads to get an audio player:\n a playlist selection dialog, playback through GStreamer, audio CDs and\n disc images, a playlist check window and an error-trapping framework.\n Includes lumo-host, the C API, the C++ wrapper and the Python module.")
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_BINARY_DIR}/packages")
include(CPack)
