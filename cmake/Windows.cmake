# The engine for Windows: a console-subsystem executable that needs only system DLLs.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

add_library(kestrel_core STATIC ${KESTREL_NEUTRAL_SOURCES} ${KESTREL_WINDOWS_SOURCES})
target_include_directories(kestrel_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(kestrel_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# The shell, COM and the common controls are loaded only when a run needs them (SystemLibrary).
target_link_libraries(kestrel_core PUBLIC ZLIB::ZLIB user32 gdi32 advapi32 uuid psapi)

# The application manifest: elevation, the themed common controls and DPI awareness.
enable_language(RC)
add_executable(kestrel startup/main.cpp startup/kestrel.rc)
set_source_files_properties(startup/kestrel.rc PROPERTIES OBJECT_DEPENDS
                            ${CMAKE_SOURCE_DIR}/startup/kestrel.manifest)
set_target_properties(kestrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_libraries(kestrel PRIVATE kestrel_core)
target_link_options(kestrel PRIVATE -static -static-libgcc -static-libstdc++ -s)

if(KESTREL_TESTS)
    include(cmake/WindowsTests.cmake)
endif()
