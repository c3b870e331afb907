# The same sources for 64-bit Windows, run where 32-bit programs cannot be.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PARTSDL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
