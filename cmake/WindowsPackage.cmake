# The portable Windows build: each program carries its icon, manifest (long paths, per-monitor
# DPI) and version as resources, the window runs without a console, and the windows_zip target
# lays out quillmorph-<version>-windows-x64.zip (windows/package.sh); windows_installer makes
# quillmorph-<version>-setup.exe of the same files (windows/installer.sh).
set(QUILLMORPH_MANIFEST ${PROJECT_SOURCE_DIR}/windows/quillmorph.manifest)

# The icon is drawn at build time by the window's own drawing code, run under the build's Wine
# like every build-time tool here: nothing drawn is kept in the sources to fall out of step.
add_executable(quillmorph_make_icon ${PROJECT_SOURCE_DIR}/windows/MakeIcon.cpp)
target_link_libraries(quillmorph_make_icon PRIVATE quillmorph_icon)
set(QUILLMORPH_ICO ${CMAKE_BINARY_DIR}/windows/quillmorph.ico)
set(QUILLMORPH_PANEL ${CMAKE_BINARY_DIR}/windows/installer-panel.bmp)
add_custom_command(OUTPUT ${QUILLMORPH_ICO} ${QUILLMORPH_PANEL}
  COMMAND quillmorph_make_icon -platform offscreen ${QUILLMORPH_ICO} 16 20 24 32 40 48 64 256
  COMMAND quillmorph_make_icon -platform offscreen --panel ${QUILLMORPH_PANEL}
  DEPENDS quillmorph_make_icon
  COMMENT "Drawing quillmorph.ico"
  VERBATIM)
add_custom_target(quillmorph_ico DEPENDS ${QUILLMORPH_ICO} ${QUILLMORPH_PANEL})
foreach(entry "quillmorph|quillmorph" "quillmorph-cli|quillmorph (command line)")
  string(REPLACE "|" ";" entry ${entry})
  list(GET entry 0 target)
  list(GET entry 1 QUILLMORPH_DESCRIPTION)
  set(QUILLMORPH_EXE ${target}.exe)
  configure_file(${PROJECT_SOURCE_DIR}/windows/program.rc.in ${CMAKE_BINARY_DIR}/windows/${target}.rc @ONLY)
  if(TARGET ${target})
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/windows/${target}.rc)
    set_source_files_properties(${CMAKE_BINARY_DIR}/windows/${target}.rc TARGET_DIRECTORY ${target}
      PROPERTIES OBJECT_DEPENDS ${QUILLMORPH_ICO})
    add_dependencies(${target} quillmorph_ico)
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

# The per-user installer (make windows-installer), where Debian's makensis is there.
find_program(QUILLMORPH_MAKENSIS makensis)
if(QUILLMORPH_MAKENSIS)
  set(QUILLMORPH_SETUP ${CMAKE_BINARY_DIR}/quillmorph-${PROJECT_VERSION}-setup.exe)
  add_custom_command(OUTPUT ${QUILLMORPH_SETUP}
    COMMAND bash ${PROJECT_SOURCE_DIR}/windows/installer.sh ${QUILLMORPH_SETUP}
            ${CMAKE_BINARY_DIR}/zip/quillmorph-${PROJECT_VERSION}-windows-x64 ${QUILLMORPH_ICO}
            ${QUILLMORPH_PANEL} ${PROJECT_VERSION}
    DEPENDS ${QUILLMORPH_ZIP} ${QUILLMORPH_ICO} ${QUILLMORPH_PANEL} ${PROJECT_SOURCE_DIR}/windows/installer.sh
            ${PROJECT_SOURCE_DIR}/windows/installer.nsi
    COMMENT "Building the installer"
    VERBATIM)
  add_custom_target(windows_installer DEPENDS ${QUILLMORPH_SETUP})
endif()

# The installer under Wine: installed, used and uninstalled in a Wine prefix of its own.
if(QUILLMORPH_MAKENSIS)
  add_test(NAME windows_installer_under_wine
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/installer_check.sh ${QUILLMORPH_SETUP}
            ${QUILLMORPH_ZIP} ${PROJECT_VERSION} ${QUILLMORPH_ICO})
  set_tests_properties(windows_installer_under_wine PROPERTIES TIMEOUT 600 RUN_SERIAL ON)
else()
  add_test(NAME windows_installer_under_wine
    COMMAND sh -c "echo 'makensis not found (Debian package nsis): no installer to check'; exit 77")
  set_tests_properties(windows_installer_under_wine PROPERTIES SKIP_RETURN_CODE 77)
endif()
