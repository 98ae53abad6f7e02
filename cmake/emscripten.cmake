# Toolchain of the browser page: Debian's Emscripten (emcc, with its frozen prebuilt system
# libraries, so EM_CACHE stays unset) and the node it runs its JavaScript tools with.
#
# Emscripten runs /usr/bin/node (NODE_JS in Debian's configuration). Where that node is not
# Debian's own (a NodeSource build, say), it does not find Debian's JavaScript modules, such as
# the acorn parser of Emscripten's optimizer; NODE_PATH names their folder for every compile and
# link. The same node runs test programs built for it, without its built-in fetch: this
# Emscripten's start-up code fetches its .wasm file whenever fetch exists, which fails for a
# file path under node.
set(VELTA_NODE /usr/bin/node CACHE FILEPATH "The node that Emscripten and the web tests run")
set(CMAKE_C_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTA_NODE} --no-experimental-fetch)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
