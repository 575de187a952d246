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
# A tool that makes a game's files, not a game: Debian's section for such utilities.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The packages' maintainer, in the control file and the changelog alike. The address is a
# placeholder until the team has one that takes mail: -DWUMPO_MAINTAINER="Name <address>".
set(WUMPO_MAINTAINER "Wumpo level tools developers <wumpo-tools@localhost>"
    CACHE STRING "The maintainer of the Linux packages, as Name <address>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${WUMPO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Converts 320 x 240 bitmaps into Wumpo screen images (.IMG), shows and writes\nlevel files (.LVL) as text and JSON, builds level packs and draws level\npreviews, with the bytes the Windows programs write.")
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
# The manual page, made from the tool's own help once it is built; the bash completion; the
# changelog, compressed as Debian keeps it (-n: no time stamp, so the same bytes every build).
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/wumpo-tool.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:wumpo-tool>
            -DOUT=${CMAKE_BINARY_DIR}/man/wumpo-tool.1 -DVERSION=${PROJECT_VERSION}
            -P ${PROJECT_SOURCE_DIR}/cmake/manual.cmake
    DEPENDS wumpo-tool ${PROJECT_SOURCE_DIR}/cmake/manual.cmake
    COMMENT "Writing the manual page from wumpo-tool's help" VERBATIM)
add_custom_target(manual_page ALL DEPENDS ${CMAKE_BINARY_DIR}/man/wumpo-tool.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/man/wumpo-tool.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/package/wumpo-tool.bash
        DESTINATION share/bash-completion/completions RENAME wumpo-tool)
configure_file(${PROJECT_SOURCE_DIR}/package/changelog ${CMAKE_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/changelog RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "could not compress the changelog")
endif()
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION share/doc/wumpo-tool)
# The pack file's JSON Schema, for editors pointed at it.
install(FILES ${PROJECT_SOURCE_DIR}/package/wumpo-pack.schema.json DESTINATION share/wumpo-tools)
# The shared libraries the tool needs, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
