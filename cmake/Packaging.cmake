# The Debian package: `cpack -G DEB` in the build folder makes brackenhold_VERSION_ARCH.deb
# from the install rules, with the shared libraries' packages found by dpkg-shlibdeps.
include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME brackenhold)
set(CPACK_PACKAGE_VENDOR Tallowmere)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brackenhold maintainers <${BH_CONTACT_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps archive copies of files up to date")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins are not a dependency of its libraries, and without them the window
# cannot open.
if(BH_BUILD_GUI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# Scheduled backups run as systemd user timers; notifications need a session bus.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "systemd, dbus-user-session")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary first and indents these lines itself; an empty line becomes " .".
set(CPACK_PACKAGE_DESCRIPTION
    "Brackenhold keeps a list of source files, each with an archive copy in any
local or network folder. A backup run copies every source whose archive is
out of date over its archive; the same list restores archives, retargets
them, imports other lists and keeps notes per file.

The package holds the desktop program (brackenhold) and the command-line
program (brackenhold-cli), which can schedule backups as systemd user
timers.")

# The machine-readable copyright file Debian asks for.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${BH_DOC_DIR})

include(CPack)
