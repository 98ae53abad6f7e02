# Delay-import libraries for OPENGL32, GLU32 and WINMM. None of the three is a "known DLL", so
# with plain imports Windows would load them before the program runs and take a copy from the
# program's own folder first; delay-loaded, they are loaded by the program's own start-up code,
# after it has narrowed the search to the system folder (windows/host/system_libraries.cpp). The functions
# of each are read at build time from mingw-w64's own import library of that DLL, so a function the
# code starts to use needs no edit here.
#
# A 32-bit function keeps its argument size in the name the program's import table carries, as
# the 32-bit import libraries name it (waveOutOpen@24; dlltool would drop it unless told with
# "=="): the start-up code binds the function by its plain name and, when the system lacks it,
# puts in the stand-in that removes as many bytes of arguments as its callers push. The
# stand-ins cover up to LARGEST_ARGUMENTS bytes; a library listing a larger function fails the
# build here.
#
# Run as a script (cmake -P) this file writes one such list: NM, IMPORT_LIB, LIBRARY, DEF_FILE,
# SYMBOL_PREFIX (the C symbols' leading underscore of 32-bit Windows, else empty),
# LARGEST_ARGUMENTS.
if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols
        COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL " I __imp_${SYMBOL_PREFIX}[^\r\n]+" entries "${symbols}")
    set(names "")
    foreach(entry IN LISTS entries)
        string(REPLACE " I __imp_${SYMBOL_PREFIX}" "" name "${entry}")
        if(name MATCHES "@([0-9]+)$" AND CMAKE_MATCH_1 GREATER LARGEST_ARGUMENTS)
            message(FATAL_ERROR "${name} of ${LIBRARY} takes more than the ${LARGEST_ARGUMENTS} "
                "bytes of arguments the stand-ins of windows/host/system_libraries.cpp cover")
        endif()
        if(name MATCHES "@")
            set(name "${name} == ${name}")
        endif()
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
# The largest argument list the stand-ins take, in bytes (gluLookAt's nine doubles).
set(DELAY_IMPORT_LARGEST_ARGUMENTS 72)
set(DELAY_IMPORT_SYMBOL_PREFIX "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(DELAY_IMPORT_SYMBOL_PREFIX _)
endif()
foreach(name opengl32 glu32 winmm)
    find_library(IMPORT_LIB_${name} NAMES lib${name}.a REQUIRED)
    set(def ${DELAY_IMPORT_DIR}/${name}.def)
    set(lib ${DELAY_IMPORT_DIR}/libdelay_${name}.a)
    add_custom_command(OUTPUT ${def}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIB=${IMPORT_LIB_${name}}
                -DLIBRARY=${name} -DDEF_FILE=${def}
                -DSYMBOL_PREFIX=${DELAY_IMPORT_SYMBOL_PREFIX}
                -DLARGEST_ARGUMENTS=${DELAY_IMPORT_LARGEST_ARGUMENTS} -P ${CMAKE_CURRENT_LIST_FILE}
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
# links the three libraries this way. Their functions are bound by the start-up code in
# velta_core, which the linker is made to want before it reads any library, so that every
# program takes it; mingw-w64's loader, __delayLoadHelper2, which the libraries' entries name,
# is linked but never reached.
add_dependencies(velta_core delay_import_libraries)
target_link_libraries(velta_core PUBLIC ${DELAY_IMPORT_LIBS})
target_link_options(velta_core INTERFACE
    -Wl,--undefined=${DELAY_IMPORT_SYMBOL_PREFIX}load_system_libraries)
target_compile_definitions(velta_core PUBLIC
    DELAY_IMPORT_LARGEST_ARGUMENTS=${DELAY_IMPORT_LARGEST_ARGUMENTS})
