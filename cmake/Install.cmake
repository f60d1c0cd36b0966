# Installation for a school.
#
# The program's own folder "kazurin2" (the executable and the companion kazurin2-admin)
# goes into the installation's common folder, the prefix (default /opt/kazurin2). The
# common folder is where the school's administrator writes パスデータ.txt, whose first
# value names the data folder; the program-menu folder "起動" of the sibling programs
# sits beside the program folder. The program folder's name is also the name of the
# program's sub-folder in the data folder.
#
# The desktop entry and the icon go to /usr/share when the prefix lies under /opt (so
# that the desktop finds them), otherwise to <prefix>/share; KZ_SHARE_DIR overrides.
#
# The Debian package (cpack -G DEB, in the build folder) installs the same layout.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "/opt/kazurin2" CACHE PATH "Common folder of the installation" FORCE)
endif()
set(KZ_PROGRAM_DIR "kazurin2" CACHE STRING "Name of the program's own folder under the prefix")
if(CMAKE_INSTALL_PREFIX MATCHES "^/opt/")
  set(kz_default_share "/usr/share")
else()
  set(kz_default_share "share")
endif()
set(KZ_SHARE_DIR "${kz_default_share}" CACHE STRING "Where the desktop entry and the icon go")

# The desktop entry names the program by its installed path: written at install time,
# so that "cmake --install --prefix" and the package both get theirs right.
install(CODE "
  set(share \"${KZ_SHARE_DIR}\")
  if(NOT IS_ABSOLUTE \"\${share}\")
    set(share \"\${CMAKE_INSTALL_PREFIX}/\${share}\")
  endif()
  set(KZ_PROGRAM_DIR_ABS \"\${CMAKE_INSTALL_PREFIX}/${KZ_PROGRAM_DIR}\")
  set(KZ_ICON_ABS \"\${share}/icons/hicolor/scalable/apps/kazurin2.svg\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/kazurin2.desktop.in\" \"${PROJECT_BINARY_DIR}/kazurin2.desktop\" @ONLY)
")
install(TARGETS kazurin2 kazurin2-admin RUNTIME DESTINATION "${KZ_PROGRAM_DIR}")
install(FILES ${PROJECT_BINARY_DIR}/kazurin2.desktop DESTINATION "${KZ_SHARE_DIR}/applications")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kazurin2.svg DESTINATION "${KZ_SHARE_DIR}/icons/hicolor/scalable/apps")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kazurin2.png DESTINATION "${KZ_SHARE_DIR}/icons/hicolor/128x128/apps")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION "${KZ_SHARE_DIR}/doc/kazurin2")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kazurin2")
set(CPACK_PACKAGE_VENDOR "kazurin2")
set(CPACK_PACKAGE_CONTACT "kazurin2 maintainers <kazurin2@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Timed drill trainer for the multiplication tables of 14, 15 and 16")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "カズリンその２ lets students of a cram school practise the tables of 14, 15 and 16 \
on shared classroom computers and records every attempt in one results file shared \
by all computers. Includes the teachers' companion kazurin2-admin, which also serves read-only \
web pages for teachers.")
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
# Debian 12 names of the runtime libraries the program links (the companion's web pages:
# Qt Svg, Network, HttpServer and the WebSockets library HttpServer is built with), the
# platform plugins and the fixed-pitch Japanese font of the lists.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6svg6 (>= 6.4), libqt6network6 (>= 6.4), libqt6httpserver6 (>= 6.4), \
libqt6websockets6 (>= 6.4), qt6-qpa-plugins, libicu72, libsdl2-2.0-0, fonts-ipafont-gothic")
include(CPack)
