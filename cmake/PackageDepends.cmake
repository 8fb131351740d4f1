# Read by cpack (CPACK_PROJECT_CONFIG_FILE, written by cmake/Packaging.cmake with the paths of
# QUILLMORPH_SHLIBDEPS_INPUTS): adds to the Depends field the packages dpkg-shlibdeps finds the
# programs and libvips' ImageMagick module need, without libvips42, which the field names with
# the version the programs are built against.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
# dpkg-shlibdeps wants to run in a source package's folder.
file(MAKE_DIRECTORY ${QUILLMORPH_SHLIBDEPS_DIR}/debian)
file(TOUCH ${QUILLMORPH_SHLIBDEPS_DIR}/debian/control)
execute_process(COMMAND dpkg-shlibdeps -O -xlibvips42 ${QUILLMORPH_SHLIBDEPS_INPUTS}
  WORKING_DIRECTORY ${QUILLMORPH_SHLIBDEPS_DIR}
  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_VARIABLE complaints
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT found MATCHES "^shlibs:Depends=")
  message(FATAL_ERROR "dpkg-shlibdeps failed (${status}):\n${complaints}")
endif()
string(REGEX REPLACE "^shlibs:Depends=" "" found "${found}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${found}")
