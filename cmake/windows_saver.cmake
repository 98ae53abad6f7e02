# The Windows screen saver velta2.scr, cross-built with mingw-w64: every source of the product
# folders (the shared ones among them), its resources, manifest and installer.
enable_language(RC)

# Every source of the product folders except the process entry, so that the unit tests link the
# same code the saver runs; new files join by being there.
file(GLOB VELTA_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/host/*.cpp
    ${CMAKE_SOURCE_DIR}/render/*.cpp
    ${CMAKE_SOURCE_DIR}/scenes/*.cpp
    ${CMAKE_SOURCE_DIR}/settings/*.cpp
    ${CMAKE_SOURCE_DIR}/music/*.cpp)
list(REMOVE_ITEM VELTA_SOURCES ${CMAKE_SOURCE_DIR}/host/entry.cpp)
add_library(velta_core STATIC ${VELTA_SOURCES})
target_include_directories(velta_core PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
target_compile_options(velta_core PRIVATE -Wall -Wextra)
target_compile_definitions(velta_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(velta_core PUBLIC gdi32 user32 advapi32 comctl32)
include(cmake/delay_imports.cmake) # OPENGL32, GLU32 and WINMM, loaded at their first call
include(${CMAKE_CURRENT_LIST_DIR}/vorbis.cmake) # the Ogg Vorbis decoder, linked into velta_core

# The resources (icon, glyph image, dialogs) go into the saver and into the unit tests.
set(VELTA_RESOURCES ${CMAKE_SOURCE_DIR}/resources/velta2.rc)
file(GLOB VELTA_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*)
set_source_files_properties(${VELTA_RESOURCES} PROPERTIES OBJECT_DEPENDS "${VELTA_RESOURCE_FILES}")

# The application manifest goes into the saver alone (common controls 6, per-monitor DPI
# awareness, supported Windows versions); it carries the same version.
set(VELTA_VERSION_MANIFEST ${PROJECT_VERSION}.0)
configure_file(${CMAKE_SOURCE_DIR}/resources/velta2.manifest.in
    ${CMAKE_BINARY_DIR}/generated/velta2.manifest @ONLY)
# A saver program: the entry point, the resources and the manifest over velta_core, as one
# self-contained .scr file with no mingw runtime DLLs beside it. The test builds of the saver
# with a resource left out or cut short (tests/) are made the same way.
function(add_saver name)
    add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/host/entry.cpp ${VELTA_RESOURCES}
        ${CMAKE_SOURCE_DIR}/resources/velta2_manifest.rc ${ARGN})
    target_link_libraries(${name} PRIVATE velta_core)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
    set_target_properties(${name} PROPERTIES SUFFIX ".scr")
endfunction()
add_saver(velta2)

# The Windows installer (NSIS), built beside the saver.
find_program(MAKENSIS makensis REQUIRED)
set(VELTA_INSTALLER ${CMAKE_BINARY_DIR}/velta2-setup.exe)
add_custom_command(OUTPUT ${VELTA_INSTALLER}
    COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSCR=$<TARGET_FILE:velta2>
            -DOUTFILE=${VELTA_INSTALLER} ${CMAKE_SOURCE_DIR}/tools/installer.nsi
    DEPENDS velta2 ${CMAKE_SOURCE_DIR}/tools/installer.nsi ${CMAKE_SOURCE_DIR}/resources/velta2.ico
    COMMENT "Building the installer")
add_custom_target(installer ALL DEPENDS ${VELTA_INSTALLER})
