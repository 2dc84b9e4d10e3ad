file(GLOB_RECURSE KESTREL_NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(kestrel_native_tests ${KESTREL_NATIVE_TEST_SOURCES}
               ${CMAKE_SOURCE_DIR}/tests/support/RecordingSystem.cpp)
target_link_libraries(kestrel_native_tests PRIVATE instpack_core GTest::gtest_main)
add_test(NAME native_unit_tests COMMAND kestrel_native_tests)
# Tests that read committed sample files find them below the source folder.
target_compile_definitions(kestrel_native_tests PRIVATE KESTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
