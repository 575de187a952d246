# The Linux packages of wumpo-tool, made by CPack from the installation of the native build:
# a tarball of bin/ and share/, and a Debian package installing into /usr.
set(CPACK_PACKAGE_NAME wumpo-tool)
set(CPACK_PACKAGE_VENDOR "Wumpo level tools")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Command-line companion of the Wumpo level tools: screen images and level files")
set(CPACK_PACKAGE_FILE_NAME wumpo-tool-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Wumpo level tools developers <wumpo-tools@localhost>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Converts 320 x 240 bitmaps into Wumpo screen images (.IMG), shows and writes level files\n(.LVL) as text and JSON, and draws level previews, with the bytes the Windows programs write.")
# The licence as the Debian copyright file (the machine-readable form; Debian calls the MIT
# licence "Expat"), where a Debian package keeps it, in the tarball too.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)\n\n(.*)" matched "${licence}")
if(NOT matched)
    message(FATAL_ERROR "LICENSE does not name its copyright holder as expected")
endif()
set(holder "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" body "${CMAKE_MATCH_2}")
string(REGEX REPLACE "([^\n]*)\n" " \\1\n" body "${body}")
file(WRITE ${CMAKE_BINARY_DIR}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: wumpo-tools\n\nFiles: *\nCopyright: ${holder}\nLicense: Expat\n${body}")
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION share/doc/wumpo-tool)
# The shared libraries the tool needs, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
