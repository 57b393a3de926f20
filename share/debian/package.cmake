# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built with `cpack -G DEB` in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does both).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME freqdeck)
set(CPACK_PACKAGE_VENDOR freqdeck)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show and change CPU frequency scaling settings")
# Kept to lines of at most 80 characters, as the control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "freqdeck shows the frequency-scaling settings of every logical CPU through the"
    "kernel's cpufreq interface and lets an administrator change them: governor,"
    "frequency limits, the online switch and every other writable attribute, six"
    "one-click profiles for all cores, and saving and loading all writable settings"
    "as a JSON file."
    ""
    "The window starts from the application menu in the user's session; a small"
    "root service on the system bus, freqdeck-helper, makes its changes after polkit"
    "asks for an administrator password. freqdeck-cli does the same from scripts,"
    "and two systemd units restore a saved settings file at boot and after resume.")
# The paths baked into the units and the launcher are those of the configured prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The window and the polkit action have absolute destinations; DESTDIR keeps them in the package.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpackchecks.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FREQDECK_MAINTAINER})
if(FREQDECK_HOMEPAGE_URL)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${FREQDECK_HOMEPAGE_URL})
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt and the C++ runtime, as dpkg-shlibdeps finds them in the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A user's changes need polkitd (the helper asks it), and the root window without the helper needs
# pkexec: root, its freqdeck-cli and the units work without either.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "polkitd | policykit-1, pkexec | policykit-1")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/prerm ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Only in a package's tree: lintian reads its overrides from there.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME ${CPACK_PACKAGE_NAME})
endif()

include(CPack)
