# Where an installation puts things, and the manual pages every installed command gets. Included
# before the programs are defined, so each can add its own install rules and page.
include(GNUInstallDirs)

# The show's program is not a command: the launcher bin/sovane05 starts it in its show folder.
set(SOVANE05_PROGRAM_DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/sovane05)
# The installed show folder: the launcher starts the show here, and the show reads data/ below it.
set(SOVANE05_SHOW_DESTINATION ${CMAKE_INSTALL_DATADIR}/sovane05)

# The launcher and the tools find the program and the data relative to bin/, so that an
# installation works wherever it is unpacked, not only at the prefix it was built for.
file(RELATIVE_PATH SOVANE05_PROGRAM_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${SOVANE05_PROGRAM_DESTINATION}/sovane05)
file(RELATIVE_PATH SOVANE05_SHOW_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${SOVANE05_SHOW_DESTINATION})

find_program(SOVANE05_HELP2MAN help2man)
if(NOT SOVANE05_HELP2MAN)
  message(WARNING "help2man not found: the commands are installed without manual pages (scripts/setup installs it)")
endif()
# Every manual page, so that tests and packaging can depend on all of them at once.
add_custom_target(manual_pages ALL)

# sovane05_add_manual_page(<command> <summary> <program file> <dependency>): the page
# man1/<command>.1.gz, made by help2man from the program's --help and --version with the
# synopsis and examples of packaging/manual/<command>.h2m, installed into the manual's section 1.
function(sovane05_add_manual_page command summary program dependency)
  if(NOT SOVANE05_HELP2MAN)
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${command}.1)
  set(include ${CMAKE_SOURCE_DIR}/packaging/manual/${command}.h2m)
  # help2man runs the program; a sanitizer build must not turn the show's kept objects into a
  # failure there.
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
      ${SOVANE05_HELP2MAN} --no-info --name=${summary} --include=${include} --output=${page} ${program}
    COMMAND perl -0pi ${CMAKE_SOURCE_DIR}/packaging/manual/strip-usage.pl ${page}
    COMMAND gzip -9nf ${page}
    DEPENDS ${dependency} ${include} ${CMAKE_SOURCE_DIR}/packaging/manual/strip-usage.pl
    VERBATIM)
  add_custom_target(${command}_manual_page DEPENDS ${page}.gz)
  add_dependencies(manual_pages ${command}_manual_page)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
