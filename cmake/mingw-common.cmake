# Cross compiling with MinGW-w64 for the processor the including toolchain
# file names (PARTSDL_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PARTSDL_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PARTSDL_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${PARTSDL_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PARTSDL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The same sources give the same bytes: no link time in the PE headers, and
# no source folder in the objects (the folder a checkout lives in differs
# between machines). windres writes no time stamp of its own.
get_filename_component(PARTSDL_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PARTSDL_SOURCE_ROOT}/=>")
add_link_options(-Wl,--no-insert-timestamp)
