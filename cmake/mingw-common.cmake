# Shared part of the two MinGW-w64 toolchain files. TW_TRIPLET is set by the caller.
set(CMAKE_C_COMPILER ${TW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${TW_TRIPLET}-windres)
set(CMAKE_AR ${TW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TW_TRIPLET}-ranlib CACHE FILEPATH "")

# libjpeg-turbo built by scripts/bootstrap.sh lives outside the source tree.
if(DEFINED ENV{TW_DEPS_DIR})
    set(TW_DEPS_DIR $ENV{TW_DEPS_DIR})
else()
    set(TW_DEPS_DIR /var/cache/tidewell-deps)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${TW_TRIPLET} ${TW_DEPS_DIR}/${TW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static zlib and libjpeg: no DLLs beside the executable.
set(ZLIB_USE_STATIC_LIBS ON)
# The Windows-GNU platform file, read after this one, resets the library
# suffixes to ".dll.a;.a;.lib"; restore ".a" once the project has started.
set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/mingw-static.cmake)
