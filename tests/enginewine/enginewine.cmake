# The cleaning engine on a real file system and registry: a Windows-side test
# program that runs the deletion, backup, restore and log routines for real
# (under Wine on Linux, or on Windows), with a small helper that holds a file
# open from another process. Left out of "all"; scripts/test.sh builds the
# target tw_engine_wine_tests and runs it under Wine:
#   wine build/<preset>/tests/enginewine/tw_engine_wine_tests.exe
# On Windows itself it needs an administrator (keys below HKLM, the restart
# queue, the backup and restore privileges).
if(NOT WIN32)
    return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../mingw-gtest.cmake)
if(NOT TARGET gtest_main OR NOT TARGET tidewell_platform_win32)
    return()
endif()

# The helper is looked for beside the test program, whose folder is also the
# program folder that receives the Backup and Logs folders of the tests.
set(TW_ENGINE_WINE_OUT ${CMAKE_BINARY_DIR}/tests/enginewine)

add_executable(tw_engine_wine_holder EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/holder.cpp)
tw_warnings(tw_engine_wine_holder)

add_executable(tw_engine_wine_tests EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_LIST_DIR}/engine_wine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/files_wine_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/registry_wine_test.cpp)
target_include_directories(tw_engine_wine_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tw_engine_wine_tests PRIVATE tidewell_core tidewell_platform_win32 gtest_main advapi32)
tw_warnings(tw_engine_wine_tests)
add_dependencies(tw_engine_wine_tests tw_engine_wine_holder)

set_target_properties(tw_engine_wine_tests tw_engine_wine_holder PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${TW_ENGINE_WINE_OUT})
