# GoogleTest built from Debian's sources with the MinGW toolchain, for the
# Windows-side test executables. Included by every list that needs it; the
# guard makes sure the library targets are defined only once.
include_guard(GLOBAL)

if(NOT TARGET gtest)
    set(TW_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the MinGW build")
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TW_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # The win32 thread model of MinGW-w64 has no std::mutex, which GoogleTest's
    # Notification uses; a replacement over Win32 is forced in instead.
    if(MINGW)
        target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
        target_compile_options(gtest PUBLIC
            "SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/mingw-gtest-notification.h")
    endif()
endif()
