# Windows tests run under wine64 through CMAKE_CROSSCOMPILING_EMULATOR; tests/wine/run-tests
# prepares the throw-away prefix and the wine server they share.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

function(kestrel_windows_test_exe name)
    add_executable(${name} ${ARGN} ${CMAKE_SOURCE_DIR}/tests/support/test-process.rc)
    target_link_libraries(${name} PRIVATE kestrel_core GTest::gtest_main)
    target_link_options(${name} PRIVATE -static)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

# A program that only waits, for the tests of running programs.
add_executable(kestrel_waiter tests/e2e/probe/Waiter.cpp)
target_link_options(kestrel_waiter PRIVATE -static)
set_target_properties(kestrel_waiter PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The probe: a stand-in for the programs the engine starts (see its source for its modes).
add_executable(kestrel_probe tests/e2e/probe/Probe.cpp tests/support/test-process.rc)
target_link_libraries(kestrel_probe PRIVATE kestrel_core)
target_link_options(kestrel_probe PRIVATE -static)
set_target_properties(kestrel_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

file(GLOB KESTREL_WINDOWS_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
# The process starter of the end-to-end tests also runs the system's own reg.exe.
kestrel_windows_test_exe(kestrel_windows_tests ${KESTREL_WINDOWS_TEST_SOURCES}
                         ${CMAKE_SOURCE_DIR}/tests/e2e/EngineProcess.cpp)
add_dependencies(kestrel_windows_tests kestrel_waiter kestrel_probe)
add_test(NAME windows_unit_tests COMMAND kestrel_windows_tests)

file(GLOB KESTREL_E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
kestrel_windows_test_exe(kestrel_e2e_tests ${KESTREL_E2E_TEST_SOURCES})
add_dependencies(kestrel_e2e_tests kestrel kestrel_probe kestrel_waiter)
add_test(NAME engine_end_to_end COMMAND kestrel_e2e_tests)

# The end-to-end tests read installers that the native packer builds from committed sample
# products; scripts/build.sh builds the native tree (and so the packer) first.
set(KESTREL_INSTPACK ${CMAKE_SOURCE_DIR}/build/native/instpack CACHE FILEPATH
    "The native instpack used to build the test installers")
set(KESTREL_E2E_OUT ${CMAKE_BINARY_DIR}/bin/testdata)

# The demo product (examples/demo), packed as scripts/demo.sh packs it: its uninstaller file is
# the engine packed with the uninstall wizard's pictures and icon only, put into a staging copy
# of the product.
set(KESTREL_DEMO_STAGE ${KESTREL_E2E_OUT}/demo-stage)
set(KESTREL_DEMO_SETUP ${KESTREL_E2E_OUT}/demo-setup.exe)
file(GLOB_RECURSE KESTREL_DEMO_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/demo/*)
add_custom_command(
    OUTPUT ${KESTREL_DEMO_SETUP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${KESTREL_DEMO_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/examples/demo/product
            ${KESTREL_DEMO_STAGE}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${KESTREL_DEMO_STAGE}/install.xml
            -DOUTPUT=${KESTREL_E2E_OUT}/demo-uninstaller.xml
            -P ${CMAKE_SOURCE_DIR}/cmake/UninstallerDescription.cmake
    COMMAND ${KESTREL_INSTPACK} build --description ${KESTREL_E2E_OUT}/demo-uninstaller.xml
            --engine $<TARGET_FILE:kestrel> --resources ${CMAKE_SOURCE_DIR}/examples/demo/resources
            --out ${KESTREL_DEMO_STAGE}/uninst/uninstall.exe
    COMMAND ${KESTREL_INSTPACK} build --description ${KESTREL_DEMO_STAGE}/install.xml
            --engine $<TARGET_FILE:kestrel> --resources ${CMAKE_SOURCE_DIR}/examples/demo/resources
            --out ${KESTREL_DEMO_SETUP}
    DEPENDS kestrel ${KESTREL_DEMO_INPUTS} ${KESTREL_INSTPACK}
            ${CMAKE_SOURCE_DIR}/cmake/UninstallerDescription.cmake
    COMMENT "Packing the demo installer")
add_custom_target(kestrel_e2e_demo ALL DEPENDS ${KESTREL_DEMO_SETUP})
add_dependencies(kestrel_e2e_tests kestrel_e2e_demo)

# The wizard window's tests run in a session with an X display (tests/gui/wizard-window.sh),
# not under CTest: the in-process tests and the probe that reads the window for the scripts.
file(GLOB KESTREL_GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*Test.cpp)
kestrel_windows_test_exe(kestrel_gui_tests ${KESTREL_GUI_TEST_SOURCES}
                         ${CMAKE_SOURCE_DIR}/tests/support/RecordingSystem.cpp)
add_executable(kestrel_window_probe tests/gui/WindowProbe.cpp tests/support/test-process.rc)
target_link_options(kestrel_window_probe PRIVATE -static)
set_target_properties(kestrel_window_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_libraries(kestrel_window_probe PRIVATE comctl32)
add_dependencies(kestrel_gui_tests kestrel_window_probe kestrel_e2e_demo)
