# The portable Windows build: each program carries its manifest (long paths, per-monitor DPI)
# and version as resources, the window runs without a console, and the windows_zip target lays
# out quillmorph-<version>-windows-x64.zip (windows/package.sh).
set(QUILLMORPH_MANIFEST ${PROJECT_SOURCE_DIR}/windows/quillmorph.manifest)
foreach(entry "quillmorph|quillmorph" "quillmorph-cli|quillmorph (command line)")
  string(REPLACE "|" ";" entry ${entry})
  list(GET entry 0 target)
  list(GET entry 1 QUILLMORPH_DESCRIPTION)
  set(QUILLMORPH_EXE ${target}.exe)
  configure_file(${PROJECT_SOURCE_DIR}/windows/program.rc.in ${CMAKE_BINARY_DIR}/windows/${target}.rc @ONLY)
  if(TARGET ${target})
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/windows/${target}.rc)
  endif()
endforeach()
if(TARGET quillmorph)
  set_target_properties(quillmorph PROPERTIES WIN32_EXECUTABLE ON)
endif()

set(QUILLMORPH_ZIP ${CMAKE_BINARY_DIR}/quillmorph-${PROJECT_VERSION}-windows-x64.zip)
add_custom_command(OUTPUT ${QUILLMORPH_ZIP}
  COMMAND ${CMAKE_COMMAND} -E env QUILLMORPH_WINDOWS_PREFIX=${QUILLMORPH_WINDOWS_PREFIX}
          bash ${PROJECT_SOURCE_DIR}/windows/package.sh ${QUILLMORPH_ZIP}
          ${CMAKE_BINARY_DIR}/zip/quillmorph-${PROJECT_VERSION}-windows-x64 ${PROJECT_SOURCE_DIR}
          $<TARGET_FILE:quillmorph> $<TARGET_FILE:quillmorph-cli>
  DEPENDS quillmorph quillmorph-cli ${PROJECT_SOURCE_DIR}/windows/package.sh
  COMMENT "Laying out the portable zip"
  VERBATIM)
add_custom_target(windows_zip DEPENDS ${QUILLMORPH_ZIP})
