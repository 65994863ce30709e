# Cross-build for 32-bit Windows with clang-cl and lld-link.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZORVENDALE_TARGET i686-pc-windows-msvc)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-common.cmake)
