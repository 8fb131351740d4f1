# quillmorph(1) and quillmorph-cli(1), in English and in Japanese, drawn by help2man from each
# program's --help and --version and the sections in man/*.h2m (man/ja/*.h2m), so that the
# pages follow the options as they change. English is the default (share/man/man1); the
# Japanese pages go to share/man/ja/man1, where `man -L ja` finds them.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
find_program(LOCALEDEF localedef REQUIRED)

# help2man writes a Japanese page only in a Japanese locale (its section names and date, and the
# program's --help). The locale is compiled into the build folder from the definitions of
# Debian's `locales` package, and found through LOCPATH: the system's locales stay as they are.
set(QUILLMORPH_LOCALE_SOURCE /usr/share/i18n/locales/ja_JP)
if(NOT EXISTS ${QUILLMORPH_LOCALE_SOURCE})
  message(FATAL_ERROR "${QUILLMORPH_LOCALE_SOURCE} is missing: install the package locales "
                      "(`make deps` does), which the Japanese manual pages need")
endif()
set(QUILLMORPH_LOCPATH ${CMAKE_BINARY_DIR}/locale)
set(ja_locale ${QUILLMORPH_LOCPATH}/ja_JP.UTF-8/LC_CTYPE)
add_custom_command(OUTPUT ${ja_locale}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QUILLMORPH_LOCPATH}
  COMMAND ${LOCALEDEF} -i ja_JP -f UTF-8 ${QUILLMORPH_LOCPATH}/ja_JP.UTF-8
  COMMENT "Compiling the ja_JP.UTF-8 locale for the Japanese manual pages"
  VERBATIM)

set(QUILLMORPH_MAN_PAGES)
# language: "" for English, "ja" for Japanese.
function(quillmorph_man_page program language)
  if(language)
    set(subdir ${language}/)
    set(locale ${language}_JP.UTF-8)
    set(manual)
    set(locale_dependency ${ja_locale})
  else()
    set(subdir)
    # English whatever the builder's language: C.UTF-8 (help2man then drops LANGUAGE, which
    # outranks the locale). It also spares Qt's complaint about a non-UTF-8 locale.
    set(locale C.UTF-8)
    set(manual "--manual=User Commands")
    set(locale_dependency)
  endif()
  set(include_file ${PROJECT_SOURCE_DIR}/man/${subdir}${program}.h2m)
  set(page ${CMAKE_BINARY_DIR}/man/${subdir}man1/${program}.1)
  get_filename_component(page_dir ${page} DIRECTORY)
  add_custom_command(OUTPUT ${page} ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${page_dir}
    # --no-discard-stderr copies stderr into the page, so keep noise off it: leaks of a
    # sanitizer build are left to the sanitized test run.
    COMMAND ${CMAKE_COMMAND} -E env LOCPATH=${QUILLMORPH_LOCPATH} ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --no-info --no-discard-stderr --locale=${locale} --section=1
            "--source=quillmorph ${PROJECT_VERSION}" ${manual} --include=${include_file}
            --output=${page} $<TARGET_FILE:${program}>
    # -n: no time stamp in the archive, so that the same page gives the same package.
    COMMAND ${GZIP} -9nf --keep ${page}
    DEPENDS ${program} ${include_file} ${locale_dependency}
    COMMENT "Writing the manual page ${subdir}${program}(1)"
    VERBATIM)
  set(QUILLMORPH_MAN_PAGES ${QUILLMORPH_MAN_PAGES} ${page} ${page}.gz PARENT_SCOPE)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${subdir}man1)
endfunction()

foreach(program quillmorph quillmorph-cli)
  if(TARGET ${program})
    quillmorph_man_page(${program} "")
    quillmorph_man_page(${program} ja)
  endif()
endforeach()
add_custom_target(quillmorph_man_pages ALL DEPENDS ${QUILLMORPH_MAN_PAGES})
