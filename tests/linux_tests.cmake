# Native tests: the shared code's unit tests that need no Windows API (GoogleTest from Debian's
# googletest, run in seconds), and the Linux program's own: its option parser and settings file
# in the same test program, the real program on Xvfb in tests/linux/.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(SHARED_UNIT_TESTS
    drift_module_test.cpp fixed_ring_modules_test.cpp flip_module_test.cpp frame_step_test.cpp
    grid_modules_test.cpp module_params_test.cpp monitor_copies_test.cpp music_stream_test.cpp
    navigation_test.cpp orbit_modules_test.cpp registry_codec_test.cpp ring_modules_test.cpp
    scene_frame_test.cpp spiral_modules_test.cpp tga_decode_test.cpp track_modules_test.cpp)
list(TRANSFORM SHARED_UNIT_TESTS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/unit/)
add_executable(native_unit_tests ${SHARED_UNIT_TESTS} unit/alert_recorder.cpp
    unit/draw_recorder.cpp unit/scene_test_support.cpp linux/options_test.cpp
    linux/settings_file_test.cpp)
target_link_libraries(native_unit_tests PRIVATE velta_linux_core GTest::gtest_main)
target_compile_options(native_unit_tests PRIVATE -Wall -Wextra)
add_test(NAME native_unit_tests COMMAND native_unit_tests)
set_tests_properties(native_unit_tests PROPERTIES LABELS unit TIMEOUT 120)

# The Linux program's options and XScreenSaver's settings description of them: the command
# lines the description yields, read by the program's parser, and the description as XML.
target_sources(native_unit_tests PRIVATE linux/settings_description_test.cpp)
set_property(SOURCE linux/settings_description_test.cpp APPEND PROPERTY COMPILE_DEFINITIONS
    VELTA_SETTINGS_DESCRIPTION="${CMAKE_SOURCE_DIR}/linux/velta2.xml")
add_test(NAME settings_description_xml COMMAND /usr/bin/python3 -c "
import sys, xml.etree.ElementTree as xml
root = xml.parse(sys.argv[1]).getroot()
sys.exit(root.tag != 'screensaver' or root.get('name') != 'velta2')"
    ${CMAKE_SOURCE_DIR}/linux/velta2.xml)
set_tests_properties(settings_description_xml PROPERTIES LABELS unit)

# The Debian package, and XScreenSaver's daemon running the installed program. --noconftest:
# each file brings what it needs (tests/linux/hack_display.py) and takes no command-line options.
set(SELF_CONTAINED_LINUX_TESTS xscreensaver debian_package)
foreach(name ${SELF_CONTAINED_LINUX_TESTS})
    add_test(NAME linux_${name} COMMAND /usr/bin/python3 -m pytest -q -p no:cacheprovider
        --noconftest ${CMAKE_CURRENT_SOURCE_DIR}/linux/test_${name}.py)
    set_tests_properties(linux_${name} PROPERTIES LABELS system TIMEOUT 300
        ENVIRONMENT VELTA_LINUX_BUILD=${CMAKE_BINARY_DIR})
endforeach()

# Helper of the Linux system tests: a window to be handed to the program, and a close request.
find_package(X11 REQUIRED)
add_executable(window_tool linux/window_tool.c)
target_link_libraries(window_tool PRIVATE X11::X11)
target_compile_options(window_tool PRIVATE -Wall -Wextra)

# One ctest entry per Linux system-test file. Each starts its own Xvfb (and sound server), so
# the entries can run side by side (ctest -j2).
file(GLOB LINUX_SYSTEM_TEST_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/linux/test_*.py)
foreach(name ${SELF_CONTAINED_LINUX_TESTS})
    list(REMOVE_ITEM LINUX_SYSTEM_TEST_FILES ${CMAKE_CURRENT_SOURCE_DIR}/linux/test_${name}.py)
endforeach()
foreach(test_file ${LINUX_SYSTEM_TEST_FILES})
    get_filename_component(stem ${test_file} NAME_WE)
    string(REGEX REPLACE "^test_" "linux_" name ${stem})
    add_test(NAME ${name}
        COMMAND /usr/bin/python3 -m pytest -q -p no:cacheprovider ${test_file}
        --velta2 $<TARGET_FILE:velta2> --window-tool $<TARGET_FILE:window_tool>)
    set_tests_properties(${name} PROPERTIES LABELS system TIMEOUT 120)
endforeach()
