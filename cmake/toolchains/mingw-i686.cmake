# Windows, 32-bit (the boards' users run 32-bit Windows), XP SP3 and later:
# cmake -DCMAKE_TOOLCHAIN_FILE=<this file>
set(CMAKE_SYSTEM_PROCESSOR x86)
set(RUVA_MINGW_TRIPLE i686-w64-mingw32)
set(RUVA_WINDOWS_FLOOR 5.1)
include(${CMAKE_CURRENT_LIST_DIR}/Mingw.cmake)
