# Delay-import libraries for OPENGL32, GLU32 and WINMM. None of the three is a "known DLL", so
# with plain imports Windows would load them before the program runs and take a copy from the
# program's own folder first; delay-loaded, they are loaded by the program's own start-up code,
# after it has narrowed the search to the system folder (windows/host/system_libraries.cpp). The functions
# of each are read at build time from mingw-w64's own import library of that DLL, so a function the
# code starts to use needs no edit here.
#
# Run as a script (cmake -P) this file writes one such list: NM, IMPORT_LIB, LIBRARY, DEF_FILE.
if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols
        COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL " I __imp_[^\r\n]+" entries "${symbols}")
    set(names "")
    foreach(entry IN LISTS entries)
        string(REPLACE " I __imp_" "" name "${entry}")
        list(APPEND names ${name})
    endforeach()
    list(REMOVE_DUPLICATES names)
    list(SORT names)
    list(LENGTH names count)
    if(count EQUAL 0)
        message(FATAL_ERROR "no imports found in ${IMPORT_LIB}")
    endif()
    list(JOIN names "\n" exports)
    file(WRITE ${DEF_FILE} "LIBRARY ${LIBRARY}.dll\nEXPORTS\n${exports}\n")
    return()
endif()

if(NOT CMAKE_NM OR NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "the mingw-w64 nm and dlltool were not found")
endif()
set(DELAY_IMPORT_DIR ${CMAKE_BINARY_DIR}/delay_imports)
set(DELAY_IMPORT_LIBS "")
foreach(name opengl32 glu32 winmm)
    find_library(IMPORT_LIB_${name} NAMES lib${name}.a REQUIRED)
    set(def ${DELAY_IMPORT_DIR}/${name}.def)
    set(lib ${DELAY_IMPORT_DIR}/libdelay_${name}.a)
    add_custom_command(OUTPUT ${def}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${IMPORT_LIB_${name}}
                -DLIBRARY=${name} -DDEF_FILE=${def} -P ${CMAKE_CURRENT_LIST_FILE}
        DEPENDS ${IMPORT_LIB_${name}} ${CMAKE_CURRENT_LIST_FILE} VERBATIM)
    # Made inside its folder: dlltool names the library's symbols after the output path, and
    # windows/host/system_libraries.cpp refers to __DELAY_IMPORT_DESCRIPTOR_libdelay_<name>_a.
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_DLLTOOL} -d ${def} -y libdelay_${name}.a
        WORKING_DIRECTORY ${DELAY_IMPORT_DIR}
        DEPENDS ${def} VERBATIM)
    list(APPEND DELAY_IMPORT_LIBS ${lib})
endforeach()
add_custom_target(delay_import_libraries DEPENDS ${DELAY_IMPORT_LIBS})

# Every program built on velta_core (the saver, its test builds, unit tests, probes, benchmarks)
# links the three libraries this way. The loader, __delayLoadHelper2, comes with mingw-w64's
# runtime. Its failure hook is defined in velta_core, beside the start-up code that narrows the
# search and loads the libraries; the linker is made to want that symbol before it reads any
# library, so every program takes both instead of the runtime's empty hook.
add_dependencies(velta_core delay_import_libraries)
target_link_libraries(velta_core PUBLIC ${DELAY_IMPORT_LIBS})
target_link_options(velta_core INTERFACE -Wl,--undefined=__pfnDliFailureHook2)
