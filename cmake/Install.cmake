# Installation for a school.
#
# The program's own folder "kazurin2" (the executable and the companion kazurin2-admin)
# goes into the installation's common folder, the prefix (default /opt/kazurin2). The
# common folder is where the school's administrator writes パスデータ.txt, whose first
# value names the data folder; the program-menu folder "起動" of the sibling programs
# sits beside the program folder. The program folder's name is also the name of the
# program's sub-folder in the data folder.
#
# The desktop entry, the icon and the documentation go to /usr/share when the prefix lies
# under /opt (so that the desktop finds them), otherwise to <prefix>/share; KZ_SHARE_DIR
# overrides. Likewise the two starters "kazurin2" and "kazurin2-admin", which put the
# programs on the PATH, go to /usr/bin or <prefix>/bin; KZ_BIN_DIR overrides.
#
# Beside kazurin2-admin, "school-template" holds the sounds and the default criteria its
# init command gives a new school (made at build time by packaging/make_school_template.py).
#
# The Debian package (cpack -G DEB, in the build folder) installs the same layout. Only
# the two programs are installed: "cmake --build build --target kazurin2 kazurin2-admin"
# builds everything the package needs, and installing does not build the rest.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "/opt/kazurin2" CACHE PATH "Common folder of the installation" FORCE)
endif()
set(KZ_PROGRAM_DIR "kazurin2" CACHE STRING "Name of the program's own folder under the prefix")
if(CMAKE_INSTALL_PREFIX MATCHES "^/opt/")
  set(kz_default_share "/usr/share")
  set(kz_default_bin "/usr/bin")
else()
  set(kz_default_share "share")
  set(kz_default_bin "bin")
endif()
set(KZ_SHARE_DIR "${kz_default_share}" CACHE STRING "Where the desktop entry, the icon and the documentation go")
set(KZ_BIN_DIR "${kz_default_bin}" CACHE STRING "Where the starters kazurin2 and kazurin2-admin go")
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The package's maintainer, "Name <mail>": given when configuring, else the git user of
# the source folder.
set(KZ_PACKAGE_MAINTAINER "" CACHE STRING "Maintainer of the Debian package: Name <mail>")
set(kz_maintainer "${KZ_PACKAGE_MAINTAINER}")
if(kz_maintainer STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} config user.name WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE kz_git_name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} config user.email WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE kz_git_mail OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT kz_git_name STREQUAL "" AND NOT kz_git_mail STREQUAL "")
      set(kz_maintainer "${kz_git_name} <${kz_git_mail}>")
    endif()
  endif()
endif()
if(kz_maintainer STREQUAL "")
  set(kz_maintainer "kazurin2 <root@localhost>")
  message(STATUS "KZ_PACKAGE_MAINTAINER is not set: the package names ${kz_maintainer} as its maintainer")
endif()

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
  foreach(program kazurin2 kazurin2-admin)
    set(KZ_PROGRAM \"\${program}\")
    # The program runs in its own folder; the companion in the caller's (its file options).
    set(KZ_CHANGE_FOLDER \"\")
    if(program STREQUAL \"kazurin2\")
      set(KZ_CHANGE_FOLDER \"cd '\${KZ_PROGRAM_DIR_ABS}' || exit 1\\n\")
    endif()
    configure_file(\"${PROJECT_SOURCE_DIR}/packaging/starter.in\" \"${PROJECT_BINARY_DIR}/starters/\${program}\" @ONLY)
  endforeach()
")
install(TARGETS kazurin2 kazurin2-admin RUNTIME DESTINATION "${KZ_PROGRAM_DIR}")
install(DIRECTORY ${KZ_SCHOOL_TEMPLATE_DIR}/ DESTINATION "${KZ_PROGRAM_DIR}/school-template"
        PATTERN ".made" EXCLUDE)
install(PROGRAMS ${PROJECT_BINARY_DIR}/starters/kazurin2 ${PROJECT_BINARY_DIR}/starters/kazurin2-admin
        DESTINATION "${KZ_BIN_DIR}")
install(FILES ${PROJECT_BINARY_DIR}/kazurin2.desktop DESTINATION "${KZ_SHARE_DIR}/applications")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kazurin2.svg DESTINATION "${KZ_SHARE_DIR}/icons/hicolor/scalable/apps")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kazurin2.png DESTINATION "${KZ_SHARE_DIR}/icons/hicolor/128x128/apps")
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION "${KZ_SHARE_DIR}/doc/kazurin2")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kazurin2")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}") # the programs' --version and version window too
set(CPACK_PACKAGE_VENDOR "kazurin2")
set(CPACK_PACKAGE_CONTACT "${kz_maintainer}")
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
# Debian 12 names of the runtime libraries the program links or loads (SDL 2 for sound,
# loaded on first use; the companion's web pages:
# Qt Svg, Network, HttpServer and the WebSockets library HttpServer is built with), the
# platform plugins and the fixed-pitch Japanese font of the lists.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), \
libqt6printsupport6 (>= 6.4), libqt6svg6 (>= 6.4), libqt6network6 (>= 6.4), libqt6httpserver6 (>= 6.4), \
libqt6websockets6 (>= 6.4), qt6-qpa-plugins, libicu72, libsdl2-2.0-0, fonts-ipafont-gothic")
# Qt's Japanese translations: the buttons of message boxes, the print and file dialogs.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-translations-l10n")
include(CPack)
