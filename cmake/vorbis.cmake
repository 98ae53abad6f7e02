# The Ogg Vorbis decoder (libogg, libvorbis, libvorbisfile), built once from Debian's source
# packages with this project's cross toolchain and linked statically, so the saver stays one
# self-contained .scr. The build happens at configure time into a prefix inside the build tree;
# later configures reuse it. Provides the imported targets Vorbis::vorbisfile, Vorbis::vorbis
# and Ogg::ogg.

set(VELTA_VORBIS_SOURCES "$ENV{HOME}/.cache/velta2/vorbis-src" CACHE PATH
    "Directory holding Debian's libogg and libvorbis source packages (.dsc and tarballs)")

set(VORBIS_PREFIX ${CMAKE_BINARY_DIR}/vorbis)
set(VORBIS_WORK ${CMAKE_BINARY_DIR}/vorbis-build)

function(vorbis_find_dsc package out)
    file(GLOB found "${VELTA_VORBIS_SOURCES}/${package}_*.dsc")
    list(LENGTH found count)
    if(NOT count EQUAL 1)
        message(FATAL_ERROR
            "Expected one ${package} source package (${package}_*.dsc) in ${VELTA_VORBIS_SOURCES}, "
            "found ${count}. Fetch them as root with:\n"
            "  tools/get_vorbis_sources.sh ${VELTA_VORBIS_SOURCES}\n"
            "or point -DVELTA_VORBIS_SOURCES=<dir> at a directory that has them.")
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

function(vorbis_run step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result
        OUTPUT_FILE ${VORBIS_WORK}/${step}.log ERROR_FILE ${VORBIS_WORK}/${step}.log)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Ogg Vorbis build step '${step}' failed; see ${VORBIS_WORK}/${step}.log")
    endif()
endfunction()

# Unpacks a source package with Debian's patches applied, then configures, builds and installs
# it into the prefix as static libraries.
function(vorbis_build package dsc)
    set(src ${VORBIS_WORK}/${package}-src)
    set(bin ${VORBIS_WORK}/${package}-bin)
    file(REMOVE_RECURSE ${src} ${bin})
    vorbis_run(${package}-unpack dpkg-source --no-check -x ${dsc} ${src})
    # Our own fixes on top of Debian's patches (cmake/patches/<package>-*.patch).
    file(GLOB patches ${CMAKE_SOURCE_DIR}/cmake/patches/${package}-*.patch)
    foreach(patch_file ${patches})
        get_filename_component(patch_name ${patch_file} NAME_WE)
        vorbis_run(${patch_name} patch -p1 -d ${src} -i ${patch_file})
    endforeach()
    vorbis_run(${package}-configure ${CMAKE_COMMAND} -S ${src} -B ${bin}
        -G ${CMAKE_GENERATOR}
        -DCMAKE_TOOLCHAIN_FILE=${VORBIS_TOOLCHAIN}
        -DCMAKE_BUILD_TYPE=Release
        -DBUILD_SHARED_LIBS=OFF
        -DBUILD_TESTING=OFF
        -DINSTALL_DOCS=OFF
        -DCMAKE_INSTALL_PREFIX=${VORBIS_PREFIX}
        -DCMAKE_PREFIX_PATH=${VORBIS_PREFIX}
        # The toolchain confines searches to the mingw root; name libogg directly instead.
        -DOGG_INCLUDE_DIR=${VORBIS_PREFIX}/include
        -DOGG_LIBRARY=${VORBIS_PREFIX}/lib/libogg.a
        ${ARGN})
    vorbis_run(${package}-build ${CMAKE_COMMAND} --build ${bin} --target install -j2)
endfunction()

if(NOT CMAKE_TOOLCHAIN_FILE)
    message(FATAL_ERROR "The Ogg Vorbis build needs the cross toolchain file")
endif()
# A toolchain named relative to the source tree, as the Makefile names it, is read from the cache
# as given when CMake runs again; the libraries' own builds need its full path.
get_filename_component(VORBIS_TOOLCHAIN ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
find_program(DPKG_SOURCE dpkg-source)
if(NOT DPKG_SOURCE)
    message(FATAL_ERROR "dpkg-source not found: install the Debian package dpkg-dev")
endif()

# Under Emscripten every configure check of the two libraries compiles and links a program
# through emcc, minutes in all; their answers for WebAssembly are known and given instead (the
# same as the checks find: C99 headers, 16-, 32- and 64-bit integer types, long of 4 bytes).
set(VORBIS_KNOWN_ANSWERS "")
if(EMSCRIPTEN)
    foreach(answer INCLUDE_INTTYPES_H=1 INCLUDE_STDINT_H=1 INCLUDE_SYS_TYPES_H=1 HAVE_SYS_TYPES_H=1
                   HAVE_STDINT_H=1 HAVE_STDDEF_H=1 HAVE_LIBM=1)
        list(APPEND VORBIS_KNOWN_ANSWERS -D${answer})
    endforeach()
    foreach(size INT16_SIZE=2 UINT16_SIZE=2 U_INT16_SIZE=2 INT32_SIZE=4 UINT32_SIZE=4
                 U_INT32_SIZE=4 INT64_SIZE=8 SHORT_SIZE=2 INT_SIZE=4 LONG_SIZE=4 LONG_LONG_SIZE=8)
        string(REGEX REPLACE "=.*" "" name ${size})
        list(APPEND VORBIS_KNOWN_ANSWERS -DHAVE_${name}=TRUE -D${size})
    endforeach()
endif()

vorbis_find_dsc(libogg OGG_DSC)
vorbis_find_dsc(libvorbis VORBIS_DSC)
get_filename_component(OGG_DSC_NAME ${OGG_DSC} NAME)
get_filename_component(VORBIS_DSC_NAME ${VORBIS_DSC} NAME)
file(GLOB VORBIS_PATCHES ${CMAKE_SOURCE_DIR}/cmake/patches/*.patch)
set(VORBIS_PATCH_HASHES "")
foreach(patch_file ${VORBIS_PATCHES})
    file(SHA256 ${patch_file} hash)
    string(APPEND VORBIS_PATCH_HASHES " ${hash}")
endforeach()
set(VORBIS_STAMP_TEXT
    "${OGG_DSC_NAME} ${VORBIS_DSC_NAME} ${VORBIS_TOOLCHAIN}${VORBIS_PATCH_HASHES} ${VORBIS_KNOWN_ANSWERS}")
set(VORBIS_STAMP ${VORBIS_PREFIX}/built-from.txt)

set(VORBIS_STAMP_FOUND "")
if(EXISTS ${VORBIS_STAMP})
    file(READ ${VORBIS_STAMP} VORBIS_STAMP_FOUND)
endif()
if(NOT VORBIS_STAMP_FOUND STREQUAL VORBIS_STAMP_TEXT
   OR NOT EXISTS ${VORBIS_PREFIX}/lib/libvorbisfile.a)
    message(STATUS "Building Ogg Vorbis from ${OGG_DSC_NAME} and ${VORBIS_DSC_NAME} (about a minute)")
    file(REMOVE_RECURSE ${VORBIS_PREFIX})
    file(MAKE_DIRECTORY ${VORBIS_WORK})
    vorbis_build(libogg ${OGG_DSC} ${VORBIS_KNOWN_ANSWERS})
    vorbis_build(libvorbis ${VORBIS_DSC} ${VORBIS_KNOWN_ANSWERS})
    file(WRITE ${VORBIS_STAMP} "${VORBIS_STAMP_TEXT}")
    file(REMOVE_RECURSE ${VORBIS_WORK})
    message(STATUS "Ogg Vorbis installed in ${VORBIS_PREFIX}")
endif()

foreach(lib ogg vorbis vorbisfile)
    if(NOT EXISTS ${VORBIS_PREFIX}/lib/lib${lib}.a)
        message(FATAL_ERROR "${VORBIS_PREFIX}/lib/lib${lib}.a is missing after the Ogg Vorbis build")
    endif()
endforeach()

add_library(Ogg::ogg STATIC IMPORTED)
set_target_properties(Ogg::ogg PROPERTIES
    IMPORTED_LOCATION ${VORBIS_PREFIX}/lib/libogg.a
    INTERFACE_INCLUDE_DIRECTORIES ${VORBIS_PREFIX}/include)
add_library(Vorbis::vorbis STATIC IMPORTED)
set_target_properties(Vorbis::vorbis PROPERTIES
    IMPORTED_LOCATION ${VORBIS_PREFIX}/lib/libvorbis.a
    INTERFACE_LINK_LIBRARIES Ogg::ogg)
add_library(Vorbis::vorbisfile STATIC IMPORTED)
set_target_properties(Vorbis::vorbisfile PROPERTIES
    IMPORTED_LOCATION ${VORBIS_PREFIX}/lib/libvorbisfile.a
    INTERFACE_LINK_LIBRARIES Vorbis::vorbis)

# Included after velta_core is defined: the decoder goes into the core library, and from there
# into the saver and every test program.
if(TARGET velta_core)
    target_link_libraries(velta_core PUBLIC Vorbis::vorbisfile)
endif()
