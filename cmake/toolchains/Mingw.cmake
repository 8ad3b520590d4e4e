# Shared part of the Windows toolchain files: Debian's mingw-w64 compilers with the win32 thread model,
# C and C++ runtimes linked statically, so that every .exe needs only the DLLs that Windows ships.
# The win32 thread model needs no threads library: the posix one links winpthreads, which imports
# calls that Windows XP lacks. Nothing in the Windows build starts a thread; with this model's
# libstdc++ (g++ 12) std::thread and std::mutex do not exist there.
# Expects RUVA_MINGW_TRIPLE (i686-w64-mingw32 or x86_64-w64-mingw32) and RUVA_WINDOWS_FLOOR, the oldest
# Windows version the programs run on (5.1 for XP, 5.2 for XP x64 and Server 2003).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${RUVA_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${RUVA_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${RUVA_MINGW_TRIPLE}-windres)

# Libraries, headers and packages come from the mingw-w64 tree only, never from the host's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${RUVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine. The wrapper gives each build folder a prefix of its own.
find_program(RUVA_WINE wine)
if(RUVA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${RUVA_WINE})
endif()

# -O2 for Release as well: at -O3 g++ 12 warns falsely about overlapping copies inside std::string
# (-Wrestrict), which -Werror turns into errors.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")
