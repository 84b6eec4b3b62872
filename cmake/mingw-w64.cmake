# Cross toolchain: Debian's mingw-w64 for x86-64 Windows, posix thread model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
get_filename_component(_tw_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${_tw_root}/.deps/mingw")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# FindZLIB would pick the import library and make the program need zlib1.dll.
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR /usr/x86_64-w64-mingw32/include CACHE PATH "")
set(PNG_LIBRARY "${_tw_root}/.deps/mingw/lib/libpng16.a" CACHE FILEPATH "")
set(PNG_PNG_INCLUDE_DIR "${_tw_root}/.deps/mingw/include" CACHE PATH "")
# Windows test executables run under Wine through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR "${_tw_root}/tools/wine-exec")
