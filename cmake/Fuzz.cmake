# libFuzzer targets: one per parser of outside input (tests/fuzz/<name>Fuzz.cpp), each with a
# seed corpus in tests/fuzz/corpus/<name>/. The code under test is built once more with
# coverage instrumentation, so that the fuzzer is guided by the parsers' branches and not only
# by the target's own.
add_library(kestrel_fuzz_neutral STATIC ${KESTREL_NEUTRAL_SOURCES} ${KESTREL_HOST_SOURCES})
target_include_directories(kestrel_fuzz_neutral PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(kestrel_fuzz_neutral PRIVATE -fsanitize=fuzzer-no-link)
target_link_libraries(kestrel_fuzz_neutral PUBLIC ZLIB::ZLIB)

file(GLOB KESTREL_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*Fuzz.cpp)
foreach(source ${KESTREL_FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} ${CMAKE_SOURCE_DIR}/tests/support/RecordingSystem.cpp)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE kestrel_fuzz_neutral)
endforeach()
