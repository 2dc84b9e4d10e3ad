# libFuzzer targets: one per parser of outside input (tests/fuzz/<name>Fuzz.cpp), each with a
# seed corpus in tests/fuzz/corpus/<name>/.
file(GLOB KESTREL_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*Fuzz.cpp)
foreach(source ${KESTREL_FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE kestrel_neutral)
endforeach()
