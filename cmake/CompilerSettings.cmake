# The language and warnings every build of the project's code shares, the native one and the
# web page's: C++20 without extensions, Release unless asked otherwise, and the same warnings,
# errors when SOVANE05_WERROR is on (scripts/test, and so CI, turns it on).
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()
option(SOVANE05_WERROR "Make every warning an error" OFF)

if(MSVC)
  add_compile_options(/W4)
  set(SOVANE05_NO_WARNINGS /w)
  if(SOVANE05_WERROR)
    add_compile_options(/WX)
  endif()
else()
  # -Wshadow: a name that hides a member or an outer one reads as one thing and is another.
  # -Wmissing-declarations: a function meant for one file is in an anonymous namespace, so two
  # files' helpers of one name cannot meet at the link.
  add_compile_options(-Wall -Wextra -Wshadow -Wmissing-declarations)
  set(SOVANE05_NO_WARNINGS -w)
  if(SOVANE05_WERROR)
    add_compile_options(-Werror)
  endif()
endif()
