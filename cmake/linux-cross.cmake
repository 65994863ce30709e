# Shared by the toolchain files for Linux on ARM, which set CMAKE_SYSTEM_PROCESSOR,
# ZORVENDALE_TRIPLET (GNU's name of the target), ZORVENDALE_DEBIAN_ARCH (Debian's) and
# ZORVENDALE_QEMU (the user-mode emulator) first. Debian's cross compiler builds against the
# target's libraries installed through multiarch (/usr/lib/TRIPLET: ALSA); the libraries only the
# tests and the replay tool link are unpacked by scripts/install-packages into
# build/target-packages/ARCH, never installed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${ZORVENDALE_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${ZORVENDALE_TRIPLET})

get_filename_component(ZORVENDALE_TARGET_PACKAGES
                       ${CMAKE_CURRENT_LIST_DIR}/../build/target-packages/${ZORVENDALE_DEBIAN_ARCH}
                       ABSOLUTE)
list(APPEND CMAKE_PREFIX_PATH ${ZORVENDALE_TARGET_PACKAGES}/usr)
set(ZORVENDALE_TARGET_LIBRARY_PATH ${ZORVENDALE_TARGET_PACKAGES}/usr/lib/${ZORVENDALE_TRIPLET})
string(APPEND ZORVENDALE_TARGET_LIBRARY_PATH
       :${ZORVENDALE_TARGET_PACKAGES}/lib/${ZORVENDALE_TRIPLET})
# The unpacked libraries' own dependencies (libpng's zlib) are found there by the linker too.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-Wl,-rpath-link,${ZORVENDALE_TARGET_LIBRARY_PATH}")
endforeach()
# pkg-config reads the target's .pc files alone.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${ZORVENDALE_TRIPLET}/pkgconfig:/usr/share/pkgconfig)

# CTest and GoogleTest's discovery run the target's programs under the emulator, nothing being
# registered with the kernel's binfmt, on the target's own C library as multiarch installs it (the
# one a board has), with the unpacked libraries. Not on the cross compiler's copy of it
# (-L /usr/TRIPLET): under qemu 7.2, fork() there hangs the child on arm64 and crashes it on armhf.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORVENDALE_QEMU} -E
                                  LD_LIBRARY_PATH=${ZORVENDALE_TARGET_LIBRARY_PATH})
