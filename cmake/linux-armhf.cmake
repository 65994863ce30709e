# Cross-build for Linux on 32-bit ARM with hardware floating point (armhf: 32-bit Raspberry Pi OS).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZORVENDALE_TRIPLET arm-linux-gnueabihf)
set(ZORVENDALE_DEBIAN_ARCH armhf)
set(ZORVENDALE_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
