# The Debian package: `make package`, or `cpack --config build/CPackConfig.cmake -B DIR`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME r7dashboard)
set(CPACK_PACKAGE_VENDOR "Tarvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for the Linkhold R7 gateway")
# Debian shows the description as written: every line within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Reads and changes the settings of a Linkhold R7 cellular and mesh-radio\n"
    "gateway attached over USB, manages its Python programs, updates its firmware\n"
    "and backs up its configuration. Includes r7ctl for scripts and Ansible, r7sim,\n"
    "a simulated gateway for training, and a udev rule that gives the logged-in\n"
    "user access to the gateway's port.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${R7_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${R7_PACKAGE_HOMEPAGE}")
# The package's own revision of this version: its changelog is changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${R7_PACKAGE_RELEASE})
# Depends come from the installed programs' NEEDED libraries (dpkg-shlibdeps, in
# dpkg-dev), so that a library added to a program cannot be missing from the list. A
# package the programs need for its files rather than a library is named in
# CPACK_DEBIAN_PACKAGE_DEPENDS, to which CPack adds the libraries' packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The APN presets come from the providers' database; without it only that choice is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion, mobile-broadband-provider-info")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/dist/postinst ${CMAKE_SOURCE_DIR}/dist/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
