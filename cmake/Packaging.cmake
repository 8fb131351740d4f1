# `make package` (or `cpack` in the build folder): a Debian package of everything the install
# rules lay out, under /usr. Its library dependencies come from dpkg-shlibdeps, so they follow
# whatever the programs link against; the font is the one run-time need no library names.
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
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libvips42's shlibs only ask for 8.0.2; the programs are built against, and use, this one.
string(REGEX MATCH "^[0-9]+\\.[0-9]+" vips_series "${VIPS_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, libvips42 (>= ${vips_series})")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
