# Platform contract tests: one set of sources for the plain operations of
# platform/platform.h, built natively against the in-memory Windows (run by
# ctest) and, for Windows, against the Win32 implementation (run under Wine:
# wine build/<preset>/tests/tw_contract_tests_win.exe).
set(TW_CONTRACT_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB TW_CONTRACT_SOURCES CONFIGURE_DEPENDS ${TW_CONTRACT_DIR}/*_contract.cpp)
set(TW_CONTRACT_SUPPORT ${TW_CONTRACT_DIR}/contract_support.cpp)

if(NOT WIN32)
    # Tests of the fake's own control API (builders, faults) ride along natively.
    file(GLOB TW_FAKE_SELF_TESTS CONFIGURE_DEPENDS ${TW_CONTRACT_DIR}/*_fake_test.cpp)
    add_executable(tw_contract_tests ${TW_CONTRACT_SOURCES} ${TW_CONTRACT_SUPPORT}
                   ${TW_CONTRACT_DIR}/fake_setup_native.cpp ${TW_FAKE_SELF_TESTS})
    target_link_libraries(tw_contract_tests PRIVATE tidewell_fake GTest::gtest_main)
    target_include_directories(tw_contract_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
    tw_warnings(tw_contract_tests)
    gtest_discover_tests(tw_contract_tests DISCOVERY_TIMEOUT 60)
else()
    include(${CMAKE_SOURCE_DIR}/tests/mingw-gtest.cmake OPTIONAL)
    if(TARGET gtest_main AND TARGET tidewell_platform_win32)
        add_executable(tw_contract_tests_win EXCLUDE_FROM_ALL ${TW_CONTRACT_SOURCES} ${TW_CONTRACT_SUPPORT}
                       ${TW_CONTRACT_DIR}/wine_win32.cpp)
        target_link_libraries(tw_contract_tests_win PRIVATE tidewell_platform_win32 gtest_main)
        target_include_directories(tw_contract_tests_win PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
        tw_warnings(tw_contract_tests_win)
    endif()
endif()
