# Where `cmake --install` puts things, and the release packages CPack makes
# from the same rules: a Debian package on Linux, a zip on Windows.
#
# On Windows kevo.exe, ralu.exe and the README sit together at the top of the
# zip: kevo finds ralu in its own folder, and a user unpacks and runs.
if(WIN32)
  set(CMAKE_INSTALL_BINDIR .)
  set(CMAKE_INSTALL_DOCDIR .)
endif()
include(GNUInstallDirs)

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
endif()

set(CPACK_PACKAGE_NAME kevo)
set(CPACK_PACKAGE_VENDOR "kevo developers")
set(CPACK_PACKAGE_CONTACT "kevo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare two files byte for byte, and report text differences")
set(CPACK_PACKAGE_DESCRIPTION
    "kevo compares exactly two files byte for byte and prints one line that says how they relate. With -t it hands a differing pair of text files to ralu, which writes a unified diff of them as a difference report.")
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
