# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model) and tests run
# under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BH_MINGW_TRIPLET x86_64-w64-mingw32)
# The -posix compilers: the win32 thread model has no std::thread or std::mutex.
set(CMAKE_C_COMPILER ${BH_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BH_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BH_MINGW_TRIPLET}-windres)

# The C99 printf family of mingw-w64 rather than the old system runtime's, which knows
# neither %zu nor %lld.
# The compiler still checks printf formats against the old runtime, so it would flag %zu;
# and this GCC reports false overlaps in inlined string concatenation (-Wrestrict). The
# native build keeps both checks.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-format -Wno-restrict")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-format -Wno-restrict")

# Only the mingw sysroot, so no ELF library of the host is ever found.
set(CMAKE_FIND_ROOT_PATH /usr/${BH_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Header-only libraries of the host, offered without the host's include folder.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/host-headers CACHE PATH "")
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/host-headers CACHE PATH "")

# Self-contained programs: Wine has no copy of the mingw runtime DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(BH_WINE wine)
if(BH_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BH_WINE})
endif()
