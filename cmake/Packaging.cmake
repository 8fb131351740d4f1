# `make package` (or `cpack` in the build folder): a Debian package of everything the install
# rules lay out, under /usr. Its library dependencies come from dpkg-shlibdeps, so they follow
# whatever the programs link against (cmake/PackageDepends.cmake).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmorph)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The quillmorph developers")
set(CPACK_PACKAGE_CONTACT "The quillmorph developers <quillmorph@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch image converter: fit dropped pictures into a box")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
quillmorph converts a pile of pictures in one go. Drop image files onto its
small window: each one is fitted into the box you chose (600 x 450 unless you
say otherwise) with its proportions kept, centred on a margin colour, and saved
in the format you picked (JPEG, PNG, GIF, BMP, PSD and others) into a new
folder on your Desktop named after the moment of the drop. Your originals are
only read, never changed. In Japanese it is known as 縮小マシン.
.
The package also holds quillmorph-cli, which converts files from the command
line exactly as a drop would, for scripts and for very large collections.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmorph.github.io/quillmorph/)
# Needs no linked library reveals: the font for the Japanese texts and Qt's own Japanese (its
# dialogs, buttons and menus). libvips42's shlibs only ask for 8.0.2; the programs are built against,
# and use, this one, and dpkg-shlibdeps is told to leave libvips42 to this entry alone.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" vips_series "${VIPS_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n, libvips42 (>= ${vips_series})")
# At home on every desktop: Qt's Wayland platform, so that GNOME and KDE Wayland sessions run the
# window natively rather than through XWayland, and the GTK and desktop-portal platform themes,
# which give 保存先… the desktop's own folder chooser; nautilus-python, which runs our item in
# Nautilus' right-click menu. Without them it all works as before.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme, python3-nautilus")
# BMP, PICT and Sun raster are written through libvips' ImageMagick module, which libvips loads
# at run time, so nothing the programs link names ImageMagick: dpkg-shlibdeps reads the module
# beside them. On Debian 12 the module is part of libvips42 and needs libmagickcore-6.q16-6.
pkg_get_variable(vips_libdir vips libdir)
set(vips_magick_module ${vips_libdir}/vips-modules-${vips_series}/vips-magick.so)
if(NOT EXISTS ${vips_magick_module})
  message(FATAL_ERROR "libvips' ImageMagick module is not at ${vips_magick_module}; "
                      "the BMP, PICT and RAS writers need it")
endif()
set(shlibdeps_inputs $<TARGET_FILE:quillmorph-cli> ${vips_magick_module})
if(TARGET quillmorph)
  list(PREPEND shlibdeps_inputs $<TARGET_FILE:quillmorph>)
endif()
# cpack reads this before it builds the package, when the programs exist.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/PackageDepends.cmake CONTENT
  "set(QUILLMORPH_SHLIBDEPS_INPUTS \"${shlibdeps_inputs}\")
set(QUILLMORPH_SHLIBDEPS_DIR \"${CMAKE_BINARY_DIR}/shlibdeps\")
include(\"${PROJECT_SOURCE_DIR}/cmake/PackageDepends.cmake\")
")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/PackageDepends.cmake)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# Debian's place for the licence (machine-readable, DEP-5) and for the changelog of a native
# package, compressed without a time stamp so that the same sources give the same package.
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/changelog ${CMAKE_BINARY_DIR}/changelog
  COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(quillmorph_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)
