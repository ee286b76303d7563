# Windows-side end-to-end tests: a test driver that starts Tidewell.exe under
# Wine (or Windows), drives its windows and checks what it leaves behind.
# scripts/run-e2e.sh builds and runs them; they are not registered with ctest
# because they need a display and a Wine prefix, and are left out of "all"
# (build the target tw_e2e_tests).
if(NOT WIN32)
    return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../mingw-gtest.cmake)

get_filename_component(TW_E2E_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
set(TW_E2E_OUT ${CMAKE_BINARY_DIR}/tests)

# The source tree's language file, as Wine sees it (drive Z: is the Unix root).
# Used only when neither TW_LANGUAGES nor a copy beside Tidewell.exe exists.
string(REPLACE "/" "\\\\" TW_E2E_LANGUAGES "Z:${TW_E2E_ROOT}/resources/Languages.ini")

add_library(tw_e2e_driver STATIC EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/driver.cpp)
target_include_directories(tw_e2e_driver PUBLIC ${TW_E2E_ROOT} ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(tw_e2e_driver PRIVATE TW_SOURCE_LANGUAGES=L"${TW_E2E_LANGUAGES}")
target_link_libraries(tw_e2e_driver PUBLIC user32 gdi32 kernel32)
tw_warnings(tw_e2e_driver)

# A small window program standing in for the main window, for the driver's
# own tests (keys, message boxes, list boxes, screenshots).
add_executable(tw_e2e_standin WIN32 EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/standin.cpp)
target_include_directories(tw_e2e_standin PRIVATE ${TW_E2E_ROOT})
target_link_options(tw_e2e_standin PRIVATE -municode)
target_link_libraries(tw_e2e_standin PRIVATE user32)
tw_warnings(tw_e2e_standin)

# A stand-in for the shell's desktop (Progman and its icon list view) for the
# desktop icon restorer's tests; Wine has none.
add_executable(tw_e2e_fakeshell WIN32 EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/fakeshell/fakeshell.cpp)
target_include_directories(tw_e2e_fakeshell PRIVATE ${TW_E2E_ROOT})
target_link_options(tw_e2e_fakeshell PRIVATE -municode)
target_link_libraries(tw_e2e_fakeshell PRIVATE comctl32 user32)
tw_warnings(tw_e2e_fakeshell)

add_executable(tw_e2e_tests EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_LIST_DIR}/driver_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cleaning_run_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/desktop_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_backup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/options_about_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/shell_test.cpp)
target_link_libraries(tw_e2e_tests PRIVATE tw_e2e_driver gtest_main)
tw_warnings(tw_e2e_tests)
add_dependencies(tw_e2e_tests tw_e2e_standin tw_e2e_fakeshell)

# Beside each other in <build>/tests, so the driver finds ..\app\Tidewell.exe
# and the stand-in by default.
set_target_properties(tw_e2e_tests tw_e2e_standin tw_e2e_fakeshell PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TW_E2E_OUT})
