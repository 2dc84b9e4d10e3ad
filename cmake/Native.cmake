# The native build: the platform-neutral code over POSIX, its unit tests and fuzz targets, and
# the packer.
find_package(ZLIB REQUIRED)

if(KESTREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(kestrel_neutral STATIC ${KESTREL_NEUTRAL_SOURCES} ${KESTREL_HOST_SOURCES})
target_include_directories(kestrel_neutral PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrel_neutral PUBLIC ZLIB::ZLIB)

add_subdirectory(tools/instpack)

if(KESTREL_TESTS)
    include(cmake/NativeTests.cmake)
endif()
if(KESTREL_FUZZ)
    include(cmake/Fuzz.cmake)
endif()

# Speed is measured in benchmarks, not in the tests (bench/run.sh builds them without
# sanitizers).
add_executable(payload_bench bench/PayloadBench.cpp)
target_link_libraries(payload_bench PRIVATE kestrel_neutral)
add_executable(kestrel_description_bench bench/DescriptionBench.cpp)
target_link_libraries(kestrel_description_bench PRIVATE kestrel_neutral)
add_executable(kestrel_installation_bench bench/InstallationBench.cpp
               tests/support/RecordingSystem.cpp)
target_link_libraries(kestrel_installation_bench PRIVATE kestrel_neutral)
target_include_directories(kestrel_installation_bench PRIVATE ${CMAKE_SOURCE_DIR})
