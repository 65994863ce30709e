# zorvendale.exe with the Microsoft toolchain's conventions: cl and link from Visual Studio, or
# clang-cl and lld-link, included by windows_program.cmake. The same program as the mingw-w64
# build, with no C runtime: no security cookie (/GS-), no exceptions or RTTI, no guarded statics,
# no runtime library named in the objects (/Zl) or linked (/NODEFAULTLIB). /Gy and /Gw put each
# function and variable in a section of its own, so that /OPT:REF keeps only those reached.
# /Ob2 undoes the /Ob1 of CMake's MinSizeRel flags: inlining only what is marked inline makes the
# code larger.
set(ZORVENDALE_FREESTANDING_FLAGS /O1 /Ob2 /GS- /GR- /EHs-c- /Zl /Gy /Gw /Zc:threadSafeInit-)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # The smallest code clang makes; no loop turned into a call to memset or memcpy, which only the
    # C runtime would supply; and no unwind tables, which 64-bit code would otherwise carry in a
    # .pdata section of their own, as nothing here unwinds.
    list(APPEND ZORVENDALE_FREESTANDING_FLAGS /clang:-Oz -fno-builtin
         /clang:-fno-asynchronous-unwind-tables /clang:-fno-unwind-tables)
    # The 64-bit code fits in 4,096 bytes only when compiled again as a whole at the link. The
    # 32-bit code fits without; with it, the link-time compiler's calls to the division helpers
    # would come after the linker has bound their alternate names.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        list(APPEND ZORVENDALE_FREESTANDING_FLAGS -flto)
    endif()
endif()
set(CMAKE_CXX_STANDARD_LIBRARIES "")

# _fltused, and on 32-bit x86 the 64-bit division and multiplication helpers. They stay plain
# objects, so that the references the link-time compiler creates still find them.
set(ZORVENDALE_RUNTIME src/platform/windows/msvc_runtime.cpp src/platform/windows/divide64.cpp)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set_source_files_properties(${ZORVENDALE_RUNTIME} PROPERTIES COMPILE_OPTIONS -fno-lto)
endif()

add_executable(zorvendale WIN32 src/platform/windows/entry.cpp ${ZORVENDALE_RUNTIME}
                          ${ZORVENDALE_WINDOWS_SOURCES})
target_include_directories(zorvendale PRIVATE src)
foreach(target animation zorvendale)
    target_compile_options(${target} PRIVATE ${ZORVENDALE_FREESTANDING_FLAGS})
    # The one C++ library header the program includes, made from the compiler's own.
    target_include_directories(${target} BEFORE PRIVATE src/platform/windows/include)
    set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "")
endforeach()

# The import libraries: made from the program's own .def files where an import library tool is at
# hand (llvm-dlltool), which needs no Windows SDK; otherwise the SDK's. On 32-bit x86 the names
# keep their stdcall suffix (-k drops it from the names looked up in the DLL); on 64-bit they
# have none.
find_program(ZORVENDALE_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
if(ZORVENDALE_DLLTOOL)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(machine i386)
    else()
        set(machine i386:x86-64)
    endif()
    foreach(dll kernel32 winmm)
        file(READ ${PROJECT_SOURCE_DIR}/src/platform/windows/${dll}.def definitions)
        if(CMAKE_SIZEOF_VOID_P EQUAL 8)
            string(REGEX REPLACE "@[0-9]+" "" definitions "${definitions}")
        endif()
        file(WRITE ${CMAKE_BINARY_DIR}/${dll}.def "${definitions}")
        add_custom_command(
            OUTPUT ${CMAKE_BINARY_DIR}/${dll}.lib
            COMMAND ${ZORVENDALE_DLLTOOL} -m ${machine} -k -d ${CMAKE_BINARY_DIR}/${dll}.def -l
                    ${CMAKE_BINARY_DIR}/${dll}.lib
            DEPENDS ${PROJECT_SOURCE_DIR}/src/platform/windows/${dll}.def
            VERBATIM)
        target_link_libraries(zorvendale PRIVATE ${CMAKE_BINARY_DIR}/${dll}.lib)
    endforeach()
    set_property(SOURCE src/platform/windows/entry.cpp APPEND
                 PROPERTY OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/kernel32.lib
                          ${CMAKE_BINARY_DIR}/winmm.lib)
else()
    target_link_libraries(zorvendale PRIVATE kernel32.lib winmm.lib)
endif()
target_link_libraries(zorvendale PRIVATE animation)

# A fixed base and no relocations, as the mingw-w64 build; .rdata merged into .text; 512-byte
# file alignment. lld-link writes 0 as the time stamp; link has no such option, and /Brepro
# writes a hash of the image there instead, with a debug directory entry saying so.
target_link_options(
    zorvendale
    PRIVATE
    /NODEFAULTLIB
    /ENTRY:Entry
    /SUBSYSTEM:WINDOWS
    /FIXED
    /DYNAMICBASE:NO
    /FILEALIGN:512
    /MERGE:.rdata=.text
    /OPT:REF
    /OPT:ICF
    /MANIFEST:NO
    /DEBUG:NONE)
# Warnings are errors for lld-link; link warns of the merge itself (its sections' attributes
# differ), so there it can't be.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_link_options(zorvendale PRIVATE /TIMESTAMP:0 /WX)
else()
    target_link_options(zorvendale PRIVATE /Brepro)
endif()
