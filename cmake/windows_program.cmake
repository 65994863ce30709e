# zorvendale.exe: a GUI-subsystem program with no C runtime. The loader calls Entry directly; the
# only imports are the console, heap, counter and waveform-audio functions of KERNEL32 and WINMM.
# The sources after the entry point and the compiler's helpers, in this order.
set(ZORVENDALE_WINDOWS_SOURCES
    src/frontend/main.cpp
    src/frontend/clock.cpp
    src/frontend/console.cpp
    src/sound/bounce_sound.cpp
    src/sound/bounce_wave.cpp)

# The same program with the Microsoft toolchain's conventions (cl, or clang-cl) has its own flags.
if(MSVC)
    include(${CMAKE_CURRENT_LIST_DIR}/windows_program_msvc.cmake)
    return()
endif()

# With mingw-w64. Nothing may pull in the C runtime or the C++ support library: no exceptions, no
# RTTI, no guarded statics, no unwind tables. -Oz with link-time optimisation gives the smallest
# code; neither changes the arithmetic, which the root file pins down and which is repeated below
# for the link step, where the whole program is compiled again. No -fdata-sections: with it, mingw
# puts each zero-initialised variable into a .data$ section that takes room in the file.
set(ZORVENDALE_FREESTANDING_FLAGS
    -Oz
    -ffreestanding
    -fno-exceptions
    -fno-rtti
    -fno-threadsafe-statics
    -fno-asynchronous-unwind-tables
    -fno-unwind-tables
    -fno-stack-protector
    -fno-ident
    -ffunction-sections)
set(ZORVENDALE_EXACT_FLAGS -ffp-contract=off -fno-fast-math)

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
    # 32-bit Windows promises only a 4-byte aligned stack, at Entry too; GCC's default assumes
    # 16, and a 16-byte aligned spill would then fault. Code told the truth realigns only where
    # it needs to.
    list(APPEND ZORVENDALE_FREESTANDING_FLAGS -mincoming-stack-boundary=2
         -mpreferred-stack-boundary=2)
    list(APPEND ZORVENDALE_EXACT_FLAGS -msse2 -mfpmath=sse)
    # A cdecl name carries the leading underscore of 32-bit Windows.
    set(ZORVENDALE_ENTRY _Entry)
    # The clock's 64-bit divisions: a short replacement for the compiler library's routines. It
    # stays a plain object so that the calls the link-time compiler creates still find it.
    set(ZORVENDALE_RUNTIME src/platform/windows/divide64.cpp)
    set_source_files_properties(${ZORVENDALE_RUNTIME} PROPERTIES COMPILE_OPTIONS -fno-lto)
else()
    set(ZORVENDALE_ENTRY Entry)
    set(ZORVENDALE_RUNTIME)
endif()

# The toolchain's default list names a dozen system libraries; only the two below are wanted.
set(CMAKE_CXX_STANDARD_LIBRARIES "")

target_compile_options(animation PRIVATE ${ZORVENDALE_FREESTANDING_FLAGS})
set_property(TARGET animation PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)

add_executable(zorvendale WIN32 src/platform/windows/entry.cpp ${ZORVENDALE_RUNTIME}
                          ${ZORVENDALE_WINDOWS_SOURCES})
target_include_directories(zorvendale PRIVATE src)
target_compile_options(zorvendale PRIVATE ${ZORVENDALE_FREESTANDING_FLAGS})
set_property(TARGET zorvendale PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)

set(ZORVENDALE_LINKER_SCRIPT ${PROJECT_SOURCE_DIR}/src/platform/windows/two_sections.ld)
set_property(TARGET zorvendale APPEND PROPERTY LINK_DEPENDS ${ZORVENDALE_LINKER_SCRIPT})
target_link_options(
    zorvendale
    PRIVATE
    ${ZORVENDALE_FREESTANDING_FLAGS}
    ${ZORVENDALE_EXACT_FLAGS}
    -nostdlib
    -nostartfiles
    -s
    -T
    ${ZORVENDALE_LINKER_SCRIPT}
    LINKER:--fatal-warnings
    LINKER:--orphan-handling=error
    LINKER:-e,${ZORVENDALE_ENTRY}
    LINKER:--gc-sections
    LINKER:--disable-dynamicbase,--disable-reloc-section
    LINKER:--no-insert-timestamp
    LINKER:--file-alignment,512,--section-alignment,4096)
# -lgcc stays last for any helper the compiler calls that the program does not supply; it imports
# nothing.
target_link_libraries(zorvendale PRIVATE animation kernel32 winmm gcc)
