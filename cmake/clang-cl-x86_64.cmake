# Cross-build for 64-bit Windows with clang-cl and lld-link.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZORVENDALE_TARGET x86_64-pc-windows-msvc)
include(${CMAKE_CURRENT_LIST_DIR}/clang-cl-common.cmake)
