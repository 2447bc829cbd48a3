# The web page's program, made where Emscripten is found: the show's library compiled to
# WebAssembly by a build of its own with Emscripten's toolchain (web/CMakeLists.txt), run as a
# step of this build. Its folder (the program and the page's files) lands in
# SOVANE05_PAGE_DIR and is installed with the package, for sovane05-web to copy into sites.

find_program(SOVANE05_EMCC emcc)
find_file(SOVANE05_EMSCRIPTEN_TOOLCHAIN Emscripten.cmake
  PATHS /usr/share/emscripten/cmake/Modules/Platform /usr/lib/emscripten/cmake/Modules/Platform NO_DEFAULT_PATH)
set(emscripten_found OFF)
if(SOVANE05_EMCC AND SOVANE05_EMSCRIPTEN_TOOLCHAIN)
  set(emscripten_found ON)
endif()
option(SOVANE05_WEB "Build the web page's WebAssembly program with Emscripten" ${emscripten_found})

set(SOVANE05_PAGE_DIR "")
if(SOVANE05_WEB)
  if(NOT emscripten_found)
    message(FATAL_ERROR "SOVANE05_WEB needs Emscripten (emcc and its Emscripten.cmake); scripts/setup installs it")
  endif()
  include(ExternalProject)
  set(SOVANE05_PAGE_DIR ${CMAKE_BINARY_DIR}/page)
  get_target_property(stb_folders sovane05::stb INTERFACE_INCLUDE_DIRECTORIES)
  find_file(SOVANE05_STB_IMAGE_HEADER stb_image.h PATHS ${stb_folders} PATH_SUFFIXES stb NO_DEFAULT_PATH)
  # Debian's Emscripten runs its JavaScript optimiser with Node, which finds the parser it needs
  # (node-acorn) only through NODE_PATH.
  set(emscripten_environment ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
  # Under make, its build shares this one's jobs.
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(page_build $(MAKE))
  else()
    set(page_build ${CMAKE_COMMAND} --build <BINARY_DIR>)
  endif()
  ExternalProject_Add(sovane05_page
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/web
    BINARY_DIR ${CMAKE_BINARY_DIR}/web-build
    INSTALL_DIR ${SOVANE05_PAGE_DIR}
    CONFIGURE_COMMAND ${emscripten_environment} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR>
      -G ${CMAKE_GENERATOR}
      -DCMAKE_TOOLCHAIN_FILE=${SOVANE05_EMSCRIPTEN_TOOLCHAIN}
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
      -DSOVANE05_STB_IMAGE=${SOVANE05_STB_IMAGE_HEADER}
      -DSOVANE05_WERROR=${SOVANE05_WERROR}
    BUILD_COMMAND ${emscripten_environment} ${page_build}
    INSTALL_COMMAND ${emscripten_environment} ${CMAKE_COMMAND} --install <BINARY_DIR>
    # Its own build knows what changed; this build cannot see into it.
    BUILD_ALWAYS ON
    EXCLUDE_FROM_ALL OFF)
  install(DIRECTORY ${SOVANE05_PAGE_DIR}/ DESTINATION ${SOVANE05_SHOW_DESTINATION}/web)
endif()
