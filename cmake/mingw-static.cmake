# Included after every project() of a MinGW build (see mingw-common.cmake):
# find_library looks for static archives only, so neither an import library
# (libz.dll.a) nor a DLL can slip into the link.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(CMAKE_FIND_LIBRARY_PREFIXES lib "")
