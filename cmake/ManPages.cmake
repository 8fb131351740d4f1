# quillmorph(1) and quillmorph-cli(1), drawn by help2man from each program's --help and
# --version and the sections in man/*.h2m, so that the pages follow the options as they change.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

set(QUILLMORPH_MAN_PAGES)
foreach(program quillmorph quillmorph-cli)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(include_file ${PROJECT_SOURCE_DIR}/man/${program}.h2m)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    # The pages are English whatever the builder's language: C.UTF-8 and no LANGUAGE (which
    # outranks the locale). --no-discard-stderr copies stderr into the page, so keep noise off
    # it: C.UTF-8 also spares Qt's complaint about a non-UTF-8 locale, and leaks of a sanitizer
    # build are left to the sanitized test run.
    COMMAND ${CMAKE_COMMAND} -E env --unset=LANGUAGE ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --no-info --no-discard-stderr --locale=C.UTF-8 --section=1
            "--source=quillmorph ${PROJECT_VERSION}" "--manual=User Commands" --include=${include_file}
            --output=${page} $<TARGET_FILE:${program}>
    # -n: no time stamp in the archive, so that the same page gives the same package.
    COMMAND ${GZIP} -9nf --keep ${page}
    DEPENDS ${program} ${include_file}
    COMMENT "Writing the manual page ${program}(1)"
    VERBATIM)
  list(APPEND QUILLMORPH_MAN_PAGES ${page} ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(quillmorph_man_pages ALL DEPENDS ${QUILLMORPH_MAN_PAGES})
