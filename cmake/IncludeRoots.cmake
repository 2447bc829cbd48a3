# The build holds the layers: each library has an include root of its own under the build tree,
# holding one link named like its folder, so "#include "rules/ShowTimeline.h"" finds a header
# only in the folders of the libraries a target links. A lower layer cannot include a higher
# one and a tool cannot include another tool's headers: neither folder is on its path. The
# repository root is on no target's path; a path climbing out of a folder ("../") is refused
# when configuring. The page's own build (web/) includes this file too, and makes the show's
# layers with the same roots.

# The repository's root, whichever project includes this file.
get_filename_component(SOVANE05_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

# sovane05_include_root(<target> <folder>): gives <target> the include root of <folder>
# (relative to the repository root), public for a library, private for a program.
function(sovane05_include_root target folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  cmake_path(GET folder PARENT_PATH parent)
  file(MAKE_DIRECTORY ${root}/${parent})
  file(CREATE_LINK ${SOVANE05_SOURCE_ROOT}/${folder} ${root}/${folder} SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE" OR type STREQUAL "MODULE_LIBRARY")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# sovane05_add_library(<name> <folder> <source>...): a static library of the sources, named
# relative to <folder>, with that folder's include root.
function(sovane05_add_library name folder)
  list(TRANSFORM ARGN PREPEND ${SOVANE05_SOURCE_ROOT}/${folder}/ OUTPUT_VARIABLE sources)
  add_library(${name} STATIC ${sources})
  sovane05_include_root(${name} ${folder})
endfunction()

# Refuses includes that climb out of their folder, which would reach past the include roots.
function(sovane05_refuse_climbing_includes)
  set(patterns)
  foreach(folder IN ITEMS app engine rules platform resources show web tools tests bench fuzz)
    list(APPEND patterns ${SOVANE05_SOURCE_ROOT}/${folder}/*.h ${SOVANE05_SOURCE_ROOT}/${folder}/*.cpp)
  endforeach()
  file(GLOB_RECURSE sources LIST_DIRECTORIES false RELATIVE ${SOVANE05_SOURCE_ROOT} ${patterns})
  foreach(source IN LISTS sources)
    file(STRINGS ${SOVANE05_SOURCE_ROOT}/${source} climbing REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
    if(climbing)
      message(FATAL_ERROR "${source}: includes through \"../\", past the include roots: ${climbing}")
    endif()
  endforeach()
endfunction()
