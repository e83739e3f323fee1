# The Debian package: `make package`, or `cpack --config build/CPackConfig.cmake -B DIR`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME r7dashboard)
set(CPACK_PACKAGE_VENDOR "Tarvel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for the Linkhold R7 gateway")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads and changes the settings of a Linkhold R7 cellular and mesh-radio gateway attached\n"
    "over USB, manages its Python programs, updates its firmware and backs up its configuration.\n"
    "Includes r7sim, a simulated gateway for training, and a udev rule that gives the logged-in\n"
    "user access to the gateway's port.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(R7_PACKAGE_MAINTAINER "Tarvel <support@tarvel.com>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${R7_PACKAGE_MAINTAINER}")
# Debian 12 names, written out rather than left to dpkg-shlibdeps, so that the
# package builds the same without dpkg-dev. The Qt platform plugins come with libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 11), libgcc-s1 (>= 3.0), libqt6core6 (>= 6.4), \
libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libxml2 (>= 2.9.14), libssl3 (>= 3.0)")
# The APN presets come from the providers' database; without it only that choice is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mobile-broadband-provider-info")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/dist/postinst ${CMAKE_SOURCE_DIR}/dist/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
