# A Debian package of everything the install rules lay down: `cpack` (or
# `cpack -G DEB`) in the build folder, or scripts/package. Included last from
# the root CMakeLists.txt, after every install rule.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentab)
set(CPACK_PACKAGE_VENDOR "Zentab maintainers")
set(CPACK_PACKAGE_CONTACT "Zentab maintainers <maintainers@zentab.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Without this CPack would describe the package with its own template text.
# One line of the control file each, as Debian wraps descriptions.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Zentab gives receipt printers their identification on a production line:"
    "it confirms the printer's model, writes a 10-character identification"
    "code (and, for one model, a model name) into the printer's user settings,"
    "reads them back and advances the code for the next printer."
    ""
    "Printers are reached over a serial port, a USB virtual COM port, a"
    "parallel port or a USB printer port. zentab-printer-sim, a simulated"
    "printer on a pseudo-terminal, is included for trying it without one.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (dpkg-dev) works out Depends from the linked libraries, so
# the Qt and CUPS packages follow what the build actually used.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's SQL drivers are plugins, which dpkg-shlibdeps does not see: the record
# on one station needs SQLite's, a line's shared record PostgreSQL's.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")

set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/dist/" "/data/" "~$")

include(CPack)
