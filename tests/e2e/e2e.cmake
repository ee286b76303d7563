# Windows-side end-to-end tests: a driver that starts Tidewell.exe under Wine
# (or Windows), drives its windows and checks what it leaves behind.
# scripts/run-e2e.sh builds and runs them; they need a display and a Wine
# prefix, so they are not registered with ctest and are left out of "all".
if(NOT WIN32)
    return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../mingw-gtest.cmake)
get_filename_component(TW_E2E_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)

# A stand-in for the shell's desktop (Progman and its icon list view): Wine has none.
add_executable(tw_e2e_fakeshell WIN32 EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/fakeshell/fakeshell.cpp)
target_include_directories(tw_e2e_fakeshell PRIVATE ${TW_E2E_ROOT})
target_link_options(tw_e2e_fakeshell PRIVATE -municode)
target_link_libraries(tw_e2e_fakeshell PRIVATE comctl32 user32)

add_executable(tw_e2e_tests EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_LIST_DIR}/driver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialogs_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp)
target_include_directories(tw_e2e_tests PRIVATE ${TW_E2E_ROOT} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tw_e2e_tests PRIVATE gtest_main comctl32 user32 gdi32)
add_dependencies(tw_e2e_tests tw_e2e_fakeshell)
foreach(t tw_e2e_tests tw_e2e_fakeshell)
    tw_warnings(${t})
    # Beside each other in <build>/tests: the driver finds ..\app\Tidewell.exe and the fake shell.
    set_target_properties(${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endforeach()
