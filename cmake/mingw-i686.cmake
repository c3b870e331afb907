# The 32-bit Windows program, the one that ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PARTSDL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
