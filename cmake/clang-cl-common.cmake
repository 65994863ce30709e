# Shared by the clang-cl toolchain files, which set CMAKE_SYSTEM_PROCESSOR and ZORVENDALE_TARGET
# first: the Microsoft toolchain's conventions (MSVC ABI) with the LLVM tools, cross-building from
# a system without Visual Studio or the Windows SDK. The program needs neither: it declares the
# Windows calls itself and links import libraries made from its own .def files.
set(CMAKE_SYSTEM_NAME Windows)
find_program(CMAKE_CXX_COMPILER NAMES clang-cl clang-cl-14 REQUIRED)
find_program(CMAKE_LINKER NAMES lld-link lld-link-14 REQUIRED)
find_program(CMAKE_AR NAMES llvm-lib llvm-lib-14 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES llvm-rc llvm-rc-14)
find_program(CMAKE_MT NAMES llvm-mt llvm-mt-14)
set(CMAKE_CXX_COMPILER_TARGET ${ZORVENDALE_TARGET})
# The compiler check would link a test program against the C runtime, which isn't here.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
