# The native tests of the code that parses or formats outside data (pictures,
# path text, backup names, settings, log files, the command line), built with
# the sanitizers of the native preset. They need none of Windows: the system's
# text calls come from native/system_text.cpp.
if(WIN32)
    return()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB TW_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
add_executable(tw_native_tests ${CMAKE_CURRENT_LIST_DIR}/system_text.cpp ${TW_NATIVE_TESTS})
target_include_directories(tw_native_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(tw_native_tests PRIVATE TW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(tw_native_tests PRIVATE tidewell_core GTest::gtest_main)
tw_warnings(tw_native_tests)
gtest_discover_tests(tw_native_tests DISCOVERY_TIMEOUT 60)
