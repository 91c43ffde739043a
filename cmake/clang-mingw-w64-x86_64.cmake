# Cross-compiling the Windows build with clang 14 instead of MinGW GCC: a
# second compiler's warnings and code generation for the Windows-only code.
# It uses the same MinGW-w64 headers, import libraries and runtime (libstdc++
# of the posix thread model, winpthread) as the GCC build, and links with lld.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLFEN_MINGW_TRIPLE x86_64-w64-windows-gnu)
set(QUILLFEN_MINGW_SYSROOT /usr/x86_64-w64-mingw32)
# clang does not recognise Debian's "12-posix" folder as a GCC version, so it
# finds neither libstdc++'s headers nor libgcc on its own: they are named here.
# The sysroot keeps it from taking this machine's own C++ headers instead.
set(QUILLFEN_MINGW_GCC_DIR /usr/lib/gcc/x86_64-w64-mingw32/12-posix)

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_C_COMPILER_TARGET ${QUILLFEN_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET ${QUILLFEN_MINGW_TRIPLE})
# windres reads the .rc files as the GCC build does; lld links its COFF output.
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

find_program(QUILLFEN_LLD ld.lld-14 REQUIRED)
set(CMAKE_SYSROOT ${QUILLFEN_MINGW_SYSROOT})
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${QUILLFEN_MINGW_GCC_DIR}/include/c++ -isystem ${QUILLFEN_MINGW_GCC_DIR}/include/c++/x86_64-w64-mingw32 -isystem ${QUILLFEN_MINGW_GCC_DIR}/include/c++/backward")
# -pthread: libstdc++ of the posix thread model needs winpthread, which
# MinGW GCC's driver adds on its own and clang's adds only when asked.
set(QUILLFEN_CLANG_LINK_FLAGS "--ld-path=${QUILLFEN_LLD} -L${QUILLFEN_MINGW_GCC_DIR} -pthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${QUILLFEN_CLANG_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${QUILLFEN_CLANG_LINK_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${QUILLFEN_CLANG_LINK_FLAGS}")

set(CMAKE_FIND_ROOT_PATH ${QUILLFEN_MINGW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
