# Run by cpack on the staged files before it packs them. Debian wants a package's
# licence in a machine-readable copyright file and its history in changelog.gz
# (a native package's name) beside it; LICENSE goes, as copyright carries it.
cmake_policy(VERSION 3.25) # cpack runs this with the old defaults otherwise
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(doc "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/tunetrawl")
file(REMOVE "${doc}/LICENSE")

# copyright: the holder and the licence text from LICENSE, in the 1.0 format.
# Debian names this licence Expat ("MIT" names several).
file(READ "${CPACK_TUNETRAWL_LICENSE}" license)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n+(Permission is hereby granted.*)$")
  message(FATAL_ERROR "${CPACK_TUNETRAWL_LICENSE} is not the MIT licence text this expects")
endif()
set(holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" text)
# A field's continuation lines start with a space; an empty one is " .".
string(REPLACE "\n\n" "\n.\n" text "${text}")
string(REPLACE "\n" "\n " text "${text}")
file(WRITE "${doc}/copyright"
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: Tunetrawl\n"
  "\n"
  "Files: *\n"
  "Copyright: ${holder}\n"
  "License: Expat\n"
  " ${text}\n")

# changelog.gz: one entry for this version, by the maintainer, on the release day.
execute_process(COMMAND date -u -R -d "${CPACK_TUNETRAWL_RELEASE_DATE}"
                OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(version "${CPACK_PACKAGE_VERSION}")
# cpack's own order: CPACK_DEBIAN_PACKAGE_MAINTAINER, else the contact.
set(maintainer "${CPACK_DEBIAN_PACKAGE_MAINTAINER}")
if(NOT maintainer)
  set(maintainer "${CPACK_PACKAGE_CONTACT}")
endif()
configure_file("${CPACK_TUNETRAWL_CHANGELOG}" "${doc}/changelog" @ONLY)
execute_process(COMMAND gzip -9nf "${doc}/changelog" COMMAND_ERROR_IS_FATAL ANY)
