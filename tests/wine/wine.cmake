# The Windows-side tests of the core: one test program that runs the
# settings, language, registry object, deletion, targets, backup, run log and
# dialog logic on a real file system and registry (under Wine on Linux, or on
# Windows), with faults injected into its own Win32 imports (faults.h). Left out of
# "all"; scripts/test.sh builds the target tw_wine_tests and runs it:
#   wine build/<preset>/tests/wine/tw_wine_tests.exe
# On Windows itself it needs an administrator (keys below HKLM, the restart
# queue, the backup and restore privileges).
if(NOT WIN32)
    return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../mingw-gtest.cmake)
if(NOT TARGET gtest_main OR NOT TARGET tidewell_platform_win32)
    return()
endif()

# The test program's folder is also the program folder that receives the
# Backup and Logs folders of the tests.
set(TW_WINE_OUT ${CMAKE_BINARY_DIR}/tests/wine)

file(GLOB TW_WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
add_executable(tw_wine_tests EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/faults.cpp ${TW_WINE_TESTS})
target_include_directories(tw_wine_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(tw_wine_tests PRIVATE TW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(tw_wine_tests PRIVATE tidewell_core tidewell_platform_win32 gtest_main advapi32 user32 shell32 shlwapi ole32 uuid)
tw_warnings(tw_wine_tests)

set_target_properties(tw_wine_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_WINE_OUT})
