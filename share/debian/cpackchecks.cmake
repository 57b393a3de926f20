# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack before it packs: refuses packages that would install but not work.
if(CPACK_GENERATOR STREQUAL "DEB")
    if(NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
        message(FATAL_ERROR "The Debian package installs under /usr, but this build was configured for "
                            "${CPACK_PACKAGING_INSTALL_PREFIX}: configure with -DCMAKE_INSTALL_PREFIX=/usr.")
    endif()
    # Debian wants a contact address, and the changelog is signed with the same.
    if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
        message(FATAL_ERROR "The package's maintainer '${CPACK_DEBIAN_PACKAGE_MAINTAINER}' has no address: configure with "
                            "-DFREQDECK_PACKAGE_MAINTAINER='Name <address>', or set DEBFULLNAME and DEBEMAIL.")
    endif()
    # Without dpkg-shlibdeps cpack would leave out the Qt dependencies without a word.
    find_program(FREQDECK_DPKG_SHLIBDEPS dpkg-shlibdeps)
    find_program(FREQDECK_FILE file)
    if(NOT FREQDECK_DPKG_SHLIBDEPS OR NOT FREQDECK_FILE)
        message(FATAL_ERROR "Building the Debian package needs dpkg-shlibdeps and file: install dpkg-dev and file.")
    endif()
endif()
