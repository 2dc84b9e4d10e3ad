# Windows tests run under wine64 through CMAKE_CROSSCOMPILING_EMULATOR; tests/wine/run-tests
# prepares the throw-away prefix and the wine server they share.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

function(kestrel_windows_test_exe name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE kestrel_core GTest::gtest_main)
    target_link_options(${name} PRIVATE -static)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

file(GLOB KESTREL_WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
kestrel_windows_test_exe(kestrel_windows_tests ${KESTREL_WINDOWS_TEST_SOURCES})
add_test(NAME windows_unit_tests COMMAND kestrel_windows_tests)

file(GLOB KESTREL_E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
kestrel_windows_test_exe(kestrel_e2e_tests ${KESTREL_E2E_TEST_SOURCES})
add_dependencies(kestrel_e2e_tests kestrel)
add_test(NAME engine_end_to_end COMMAND kestrel_e2e_tests)
