# Cross toolchain: 32-bit Windows programs from Debian's mingw-w64, for every Windows from 98 SE
# on, run under the 32-bit Wine of tools/get_wine32.sh when ctest executes them. The win32
# thread model: the posix one links winpthreads, which imports functions of Windows Vista.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The PE header asks for Windows 4.0 (95, 98, NT 4) as the oldest system and subsystem.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--major-os-version,4,--minor-os-version,0,--major-subsystem-version,4,--minor-subsystem-version,0")
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${CMAKE_EXE_LINKER_FLAGS_INIT})
set(CMAKE_CROSSCOMPILING_EMULATOR $ENV{HOME}/.cache/velta2/wine32/bin/wine)
