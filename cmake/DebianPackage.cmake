# `cpack -G DEB` from a build tree: quorvel-converter_<version>_amd64.deb with
# the install layout, its library dependencies computed from the binary.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel-converter)
set(CPACK_PACKAGE_VENDOR "Quorvel Studio")
set(CPACK_PACKAGE_CONTACT "Quorvel Studio <support@quorvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quorvel Studio <support@quorvel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary is the synopsis line; this is the extended description under it.
set(CPACK_PACKAGE_DESCRIPTION "Quorvel Video Converter opens one video and converts it to AVI, WMV, MKV,
ASF, WebM or MP4 with the chosen video and audio compressors. It has a window
with a menu entry and a command line for scripts (quorvel-converter --help).")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, hicolor-icon-theme")
set(CPACK_STRIP_FILES ON)
include(CPack)
