# Unit tests (GoogleTest, cross-built, run under Wine) and system tests (the real saver
# under Wine on a virtual display, driven by pytest).
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(WINE_ENV
    WINEPREFIX=${WINE_PREFIX}
    WINEDEBUG=-all
    # No Mono or Gecko install prompts in the test prefix.
    WINEDLLOVERRIDES=mscoree,mshtml=
)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/unit/*_test.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES} unit/alert_recorder.cpp unit/draw_recorder.cpp
    unit/scene_test_support.cpp ${VELTA_RESOURCES} unit/music_streams.rc)
target_link_libraries(unit_tests PRIVATE velta_core GTest::gtest_main)
target_link_options(unit_tests PRIVATE -static)
target_compile_options(unit_tests PRIVATE -Wall -Wextra)

# A tiny program that faults on purpose inside the guard; the unit tests run it as a child.
add_executable(fault_probe unit/fault_probe.cpp)
target_link_libraries(fault_probe PRIVATE velta_core)
target_link_options(fault_probe PRIVATE -static)
add_dependencies(unit_tests fault_probe)

# The project's own Wine prefix, made once inside the build tree.
add_test(NAME wine_prefix
    COMMAND sh -c "wineboot -i >/dev/null 2>&1; wineserver -k; true")
set_tests_properties(wine_prefix PROPERTIES ENVIRONMENT "${WINE_ENV}"
    FIXTURES_SETUP wine LABELS "unit;system" TIMEOUT 300)

# Some unit tests open windows and OpenGL contexts, so the run gets a virtual display.
add_test(NAME unit_tests
    COMMAND xvfb-run -a -s "-screen 0 640x480x24 -nolisten tcp" wine $<TARGET_FILE:unit_tests>)
set_tests_properties(unit_tests PROPERTIES ENVIRONMENT "${WINE_ENV}"
    FIXTURES_REQUIRED wine LABELS unit TIMEOUT 300 RUN_SERIAL TRUE)

# The player tests again, with a wave-out device: a private PulseAudio null sink.
add_test(NAME music_player_tests
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/unit/run_with_null_sink.sh
    wine $<TARGET_FILE:unit_tests> --gtest_filter=PlayerThread*)
set_tests_properties(music_player_tests PROPERTIES ENVIRONMENT "${WINE_ENV}"
    FIXTURES_REQUIRED wine LABELS unit TIMEOUT 300 RUN_SERIAL TRUE)

# The Linux program that test_same_pictures.py compares with the saver: the native build that the
# Makefile makes beside this one (it passes its path when it configures this tree).
set(VELTA_LINUX_VELTA2 ${CMAKE_SOURCE_DIR}/build-linux/linux/velta2 CACHE FILEPATH
    "The Linux program velta2, which the system tests compare with velta2.scr")

# One ctest entry per system-test file, each with its own display and Wine server session.
file(GLOB SYSTEM_TEST_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/system/test_*.py)
foreach(test_file ${SYSTEM_TEST_FILES})
    get_filename_component(stem ${test_file} NAME_WE)
    string(REGEX REPLACE "^test_" "system_" name ${stem})
    add_test(NAME ${name}
        COMMAND /usr/bin/python3 -m pytest -q -p no:cacheprovider ${test_file}
        --scr $<TARGET_FILE:velta2> --wintool $<TARGET_FILE:wintool>
        --build-dir ${CMAKE_BINARY_DIR} --linux-velta2 ${VELTA_LINUX_VELTA2})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${WINE_ENV}"
        FIXTURES_REQUIRED wine LABELS system TIMEOUT 900 RUN_SERIAL TRUE)
endforeach()

# Windows-side helper of the system tests (window lookup, a preview host window, messages).
add_executable(wintool system/wintool.cpp)
target_link_options(wintool PRIVATE -static)
target_link_libraries(wintool PRIVATE ntdll gdi32)
target_compile_options(wintool PRIVATE -Wall -Wextra)

# Drives the music players as the saver does, for the sound system tests and the benchmark.
add_executable(music_probe system/music_probe.cpp ${VELTA_RESOURCES})
target_link_libraries(music_probe PRIVATE velta_core)
target_link_options(music_probe PRIVATE -static)
target_compile_options(music_probe PRIVATE -Wall -Wextra)
add_dependencies(wintool music_probe)

# Benchmarks (figures printed by `make bench`, never asserted).
add_executable(tga_bench bench/tga_bench.cpp ${VELTA_RESOURCES})
target_link_libraries(tga_bench PRIVATE velta_core)
target_link_options(tga_bench PRIVATE -static)
add_executable(music_bench bench/music_bench.cpp ${VELTA_RESOURCES})
target_link_libraries(music_bench PRIVATE velta_core)
target_link_options(music_bench PRIVATE -static)

# Test-only stand-ins for the Windows 9x system libraries that Wine lacks or that the tests
# must watch. The system tests copy them beside a copy of the saver for one test at a time;
# they are never part of the product.
function(add_stand_in name source)
    add_library(${name} SHARED system/${source})
    set_target_properties(${name} PROPERTIES PREFIX "")
    target_link_options(${name} PRIVATE -static)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
endfunction()
add_stand_in(password_stand_in password_stand_in.cpp)
add_stand_in(mpr_stand_in mpr_stand_in.cpp)
target_compile_definitions(mpr_stand_in PRIVATE WITH_PASSWORD_CHANGE)
add_stand_in(mpr_stand_in_bare mpr_stand_in.cpp)
# Planted under the names of system libraries; it records being loaded and refuses to load.
add_stand_in(planted_library planted_library.cpp)

# Scene benchmark and module showcase; tools/bench_scenes.py and tools/shoot_modules.py run
# it on a virtual display.
add_executable(scene_bench bench/scene_bench.cpp ${VELTA_RESOURCES})
target_link_libraries(scene_bench PRIVATE velta_core)
target_link_options(scene_bench PRIVATE -static)
target_compile_options(scene_bench PRIVATE -Wall -Wextra)

# Windows-side helper of the module system tests: draws one module, or the whole cycle through
# the frame step, in a window of its own and counts every GL error.
add_executable(scene_probe system/scene_probe.cpp ${VELTA_RESOURCES})
target_link_libraries(scene_probe PRIVATE velta_core psapi)
target_link_options(scene_probe PRIVATE -static)
target_compile_options(scene_probe PRIVATE -Wall -Wextra)

# Test-only builds of the saver from the same sources with a resource left out or cut short,
# for the system tests of a missing or damaged glyph image or tune. The cut files are made
# from the real ones at build time: their first half, so that the headers survive and the
# data ends early. They carry names of their own: the resource compiler searches the include
# path before the folder of velta2.rc, so a cut file named like a real one would replace it.
set(CUT_RESOURCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/cut_resources)
function(add_cut_resource name)
    set(source ${CMAKE_SOURCE_DIR}/resources/${name})
    set(cut ${CUT_RESOURCE_DIR}/cut_${name})
    file(SIZE ${source} size)
    math(EXPR half "${size} / 2")
    add_custom_command(OUTPUT ${cut}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CUT_RESOURCE_DIR}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${cut}
        COMMAND truncate -s ${half} ${cut}
        DEPENDS ${source} VERBATIM)
endfunction()
add_cut_resource(glyphs.tga)
add_cut_resource(tune.ogg)
# Source properties hold per folder: velta2.rc is rebuilt here, for every program of this
# folder that embeds it, when a resource file changes, as it is in the top folder. A cut file
# is made again before its program's resources are compiled, so this covers the cut ones too.
set_source_files_properties(${VELTA_RESOURCES} PROPERTIES OBJECT_DEPENDS
    "${VELTA_RESOURCE_FILES}")

# definition: what the resource compiler is told for this build, a leave-out switch or a file
# macro naming a cut file; cut: that file, so that the resources are rebuilt when it changes.
function(add_saver_variant name definition cut)
    add_saver(${name} ${cut})
    target_compile_definitions(${name} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${definition}>)
    target_include_directories(${name} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CUT_RESOURCE_DIR}>)
    add_dependencies(wintool ${name})
endfunction()
add_saver_variant(velta2_no_texture VELTA_NO_GLYPH_IMAGE "")
add_saver_variant(velta2_cut_texture VELTA_GLYPH_FILE=cut_glyphs.tga
    ${CUT_RESOURCE_DIR}/cut_glyphs.tga)
add_saver_variant(velta2_no_tune VELTA_NO_TUNE "")
add_saver_variant(velta2_cut_tune VELTA_TUNE_FILE=cut_tune.ogg ${CUT_RESOURCE_DIR}/cut_tune.ogg)
