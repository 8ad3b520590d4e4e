# Windows, 64-bit, XP x64 / Server 2003 x64 and later: cmake -DCMAKE_TOOLCHAIN_FILE=<this file>
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(RUVA_MINGW_TRIPLE x86_64-w64-mingw32)
set(RUVA_WINDOWS_FLOOR 5.2)
include(${CMAKE_CURRENT_LIST_DIR}/Mingw.cmake)
