# Cross-build for Linux on 64-bit ARM (arm64: 64-bit Raspberry Pi OS, ARM servers and laptops).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ZORVENDALE_TRIPLET aarch64-linux-gnu)
set(ZORVENDALE_DEBIAN_ARCH arm64)
set(ZORVENDALE_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
