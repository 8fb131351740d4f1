# "Convert with quillmorph" in the file managers' right-click menus, for pictures and folders.
# Each file manager reads its own format from the package's share/ folder; the files are made
# here from one list of the built-in presets so that they never disagree with each other.
# Thunar reads only the user's own file: `quillmorph --install-thunar-action` (src/app).

# name|Japanese label|English label, in the order the menus show them.
set(QUILLMORPH_BUILT_IN_PRESETS
    "mail|メール用|For e-mail"
    "blog|ブログ用|For a blog"
    "sns-square|SNS 正方形|Social square"
    "wallpaper|壁紙|Wallpaper"
    "thumbnail|サムネイル|Thumbnail"
    "web-webp|Web 用 WebP|WebP for the web")
set(fm_title_ja "quillmorph で変換")
set(fm_title_en "Convert with quillmorph")
set(fm_window_ja "ウィンドウの現在の設定で")
set(fm_window_en "With the window's current choices")
set(fm_source ${PROJECT_SOURCE_DIR}/data/file-manager)
set(fm_out ${CMAKE_BINARY_DIR}/file-manager)
# Whole folders are installed: a file left from an earlier list must not ship.
file(REMOVE_RECURSE ${fm_out})

# The window's choices first (no preset), then one entry per preset: id;command;ja;en.
set(fm_entries "window|quillmorph %F|${fm_window_ja}|${fm_window_en}")
foreach(preset IN LISTS QUILLMORPH_BUILT_IN_PRESETS)
  string(REPLACE "|" ";" fields "${preset}")
  list(GET fields 0 name)
  list(GET fields 1 ja)
  list(GET fields 2 en)
  list(APPEND fm_entries "${name}|quillmorph --preset ${name} %F|${ja}|${en}")
endforeach()

set(fm_number 0)
set(dolphin_ids)
set(dolphin_actions)
set(fma_ids)
set(nautilus_presets)
foreach(entry IN LISTS fm_entries)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 0 id)
  list(GET fields 1 command)
  list(GET fields 2 ja)
  list(GET fields 3 en)
  # Dolphin and Nemo order the actions by their ids and file names.
  string(APPEND dolphin_ids "${fm_number}-${id};")
  string(APPEND dolphin_actions "\n[Desktop Action ${fm_number}-${id}]\nName=${en}\nName[ja]=${ja}\n"
                                "Icon=quillmorph\nExec=${command}\n")
  # Nemo 5.6 has no submenus: the plain title converts with the window's choices, the
  # presets follow it by name (users hide the ones they never use under Edit → Plugins).
  if(id STREQUAL "window")
    set(nemo_ja "${fm_title_ja}")
    set(nemo_en "${fm_title_en}")
  else()
    set(nemo_ja "${fm_title_ja}: ${ja}")
    set(nemo_en "${fm_title_en}: ${en}")
    string(APPEND nautilus_presets "    (\"${id}\", \"${ja}\", \"${en}\"),\n")
  endif()
  configure_file(${fm_source}/quillmorph.nemo_action.in
                 ${fm_out}/nemo/quillmorph-${fm_number}-${id}.nemo_action @ONLY)
  math(EXPR fm_number "${fm_number} + 1")
  configure_file(${fm_source}/quillmorph-action.desktop.in
                 ${fm_out}/actions/quillmorph-${id}.desktop @ONLY)
  string(APPEND fma_ids "quillmorph-${id};")
endforeach()
configure_file(${fm_source}/quillmorph-servicemenu.desktop.in ${fm_out}/kio/quillmorph.desktop @ONLY)
configure_file(${fm_source}/quillmorph-menu.desktop.in ${fm_out}/actions/quillmorph.desktop @ONLY)
configure_file(${fm_source}/quillmorph.py.in ${fm_out}/nautilus/quillmorph.py @ONLY)

install(FILES ${fm_out}/kio/quillmorph.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus)
install(DIRECTORY ${fm_out}/nemo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions)
install(DIRECTORY ${fm_out}/actions/ DESTINATION ${CMAKE_INSTALL_DATADIR}/file-manager/actions)
install(FILES ${fm_out}/nautilus/quillmorph.py
        DESTINATION ${CMAKE_INSTALL_DATADIR}/nautilus-python/extensions)
