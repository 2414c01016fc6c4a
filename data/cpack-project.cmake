# Read by cpack before each package it makes. A .deb names its maintainer, and
# Debian's tools (lintian, dpkg-parsechangelog) refuse one without an address,
# so none is made up here.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_DEBIAN_PACKAGE_MAINTAINER AND NOT CPACK_PACKAGE_CONTACT)
  message(FATAL_ERROR
    "A .deb needs a maintainer. Set DEBFULLNAME and DEBEMAIL (or DEBEMAIL=\"Name <address>\") "
    "and configure again (cmake -S <source> -B <build>), or configure with "
    "-DTUNETRAWL_MAINTAINER=\"Name <address>\".")
endif()
# The installer and the zip come from one build; their names tell them apart.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
