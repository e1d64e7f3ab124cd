# Where `cmake --install` puts things, and the release packages CPack makes
# from the same rules: a Debian package on Linux, a zip on Windows.
#
# On Windows kevo.exe, ralu.exe, the README and the LICENSE sit together at
# the top of the zip: kevo finds ralu in its own folder, and a user unpacks
# and runs. The .deb carries the licence inside its copyright file, where
# Debian looks for it.
if(WIN32)
  set(CMAKE_INSTALL_BINDIR .)
  set(CMAKE_INSTALL_DOCDIR .)
endif()
include(GNUInstallDirs)

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(WIN32)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# Man pages go in compressed, as Debian installs them.
if(NOT WIN32)
  find_program(GZIP_PROGRAM gzip REQUIRED)
  set(man_pages kevo.1 ralu.1)
  set(compressed_man_pages)
  foreach(page IN LISTS man_pages)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(
      OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${GZIP_PROGRAM} -9n -c ${PROJECT_SOURCE_DIR}/man/${page} > ${compressed}
      DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}
      COMMENT "Compressing man page ${page}")
    list(APPEND compressed_man_pages ${compressed})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${compressed_man_pages})
  install(FILES ${compressed_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The changelog in the tree is in Debian's format, one entry a release, the
  # newest first; as the package is native, it goes in whole as changelog.gz.
  # A release whose version has no entry yet stops the configuration here,
  # before a package could go out with an old newest entry.
  set(changelog ${PROJECT_SOURCE_DIR}/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
  file(STRINGS ${changelog} newest_entry LIMIT_COUNT 1)
  string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
  if(NOT newest_entry MATCHES "^kevo \\(${version_pattern}\\) ")
    message(FATAL_ERROR "changelog: the newest entry is not for ${PROJECT_VERSION}: ${newest_entry}")
  endif()
  set(compressed_changelog ${CMAKE_BINARY_DIR}/doc/changelog.gz)
  add_custom_command(
    OUTPUT ${compressed_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
    COMMAND ${GZIP_PROGRAM} -9n -c ${changelog} > ${compressed_changelog}
    DEPENDS ${changelog}
    COMMENT "Compressing the changelog")
  add_custom_target(changelog ALL DEPENDS ${compressed_changelog})
  install(FILES ${compressed_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # Debian's copyright file, in its machine-readable form, with the licence
  # text taken from LICENSE so that the two cannot say different things.
  # Debian names the MIT licence "Expat"; in the file a blank line of the
  # text is written " .".
  set(license ${PROJECT_SOURCE_DIR}/LICENSE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license})
  file(READ ${license} license_text)
  string(FIND "${license_text}" "Permission is hereby granted" grant_start)
  string(SUBSTRING "${license_text}" ${grant_start} -1 license_grant)
  string(STRIP "${license_grant}" license_grant)
  string(REGEX REPLACE "\n\n" "\n.\n" license_grant "${license_grant}")
  string(REGEX REPLACE "\n" "\n " license_grant "${license_grant}")
  file(WRITE ${CMAKE_BINARY_DIR}/doc/copyright
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
       "Upstream-Name: kevo\n"
       "Upstream-Contact: kevo developers <kevo@kevo.localhost>\n"
       "\n"
       "Files: *\n"
       "Copyright: 2026 The kevo developers\n"
       "License: Expat\n"
       " ${license_grant}\n")
  install(FILES ${CMAKE_BINARY_DIR}/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME kevo)
set(CPACK_PACKAGE_VENDOR "kevo developers")
# The project's own name at an address under .localhost, a name reserved
# never to leave the machine: there is no mailing list to give. Lintian takes
# a bare "localhost" for a bogus mail host.
set(CPACK_PACKAGE_CONTACT "kevo developers <kevo@kevo.localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare two files byte for byte, and report text differences")
# The extended description as Debian shows it: lines of at most 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "kevo compares exactly two files byte for byte and prints one line that"
       "says how they relate. With -t it hands a differing pair of text files to"
       "ralu, which writes their differences as a unified diff."
       ""
       "ralu reads GNU diff's options and writes its output forms, for two files"
       "and for two directory trees.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kevo-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # What dpkg-shlibdeps finds for both programs on Debian 12.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
endif()

include(CPack)
