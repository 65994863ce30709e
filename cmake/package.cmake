# The Debian package of the terminal program, made by CPack from what `cmake --install` installs
# (scripts/package builds it); cmake/debian_layout.cmake then lays the staged files out as Debian
# wants them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvendale)
set(CPACK_PACKAGE_VENDOR "The Zorvendale developers")
set(CPACK_PACKAGE_CONTACT "The Zorvendale developers <zorvendale@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "checkered ball bouncing in the terminal")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvendale animates a red-and-white checkered ball that bounces, spins and
casts a shadow over a gridded background, playing a short sound through ALSA
at each floor bounce. It fits terminals from 60 by 20 cells, and gives the
terminal back as it was on every way out.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The target's architecture: the ARM toolchain files name it; otherwise it is this machine's.
if(NOT ZORVENDALE_DEBIAN_ARCH)
    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE ZORVENDALE_DEBIAN_ARCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ZORVENDALE_DEBIAN_ARCH})

# CPack hands its own CPACK_ variables on to the layout script.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_layout.cmake)
set(CPACK_ZORVENDALE_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set(CPACK_ZORVENDALE_BINDIR ${CMAKE_INSTALL_BINDIR})
set(CPACK_ZORVENDALE_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_ZORVENDALE_DOCDIR ${CMAKE_INSTALL_DOCDIR})
include(CPack)
