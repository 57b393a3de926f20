# Read by cpack before it packs: refuses packages that would install but not work.
if(CPACK_GENERATOR STREQUAL "DEB")
    if(NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
        message(FATAL_ERROR "The Debian package installs under /usr, but this build was configured for "
                            "${CPACK_PACKAGING_INSTALL_PREFIX}: configure with -DCMAKE_INSTALL_PREFIX=/usr.")
    endif()
    # Without dpkg-shlibdeps cpack would leave out the Qt dependencies without a word.
    find_program(FREQDECK_DPKG_SHLIBDEPS dpkg-shlibdeps)
    find_program(FREQDECK_FILE file)
    if(NOT FREQDECK_DPKG_SHLIBDEPS OR NOT FREQDECK_FILE)
        message(FATAL_ERROR "Building the Debian package needs dpkg-shlibdeps and file: install dpkg-dev and file.")
    endif()
endif()
