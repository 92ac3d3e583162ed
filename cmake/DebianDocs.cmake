# Run by CPack after the install rules filled its staging tree: adds the
# Debian changelog and, once the project has a licence file, the copyright
# file in its place to the package's documentation folder (see
# cmake/Packaging.cmake).
set(doc_dir "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_ORVELUNE_DEBIAN_DOC_DIR}")
file(MAKE_DIRECTORY "${doc_dir}")
file(COPY_FILE "${CPACK_ORVELUNE_CHANGELOG}" "${doc_dir}/changelog.gz")
# The copyright file holds the licence, so the licence file the install
# rules put beside the readme would only repeat it.
if(CPACK_ORVELUNE_COPYRIGHT)
  file(COPY_FILE "${CPACK_ORVELUNE_COPYRIGHT}" "${doc_dir}/copyright")
  get_filename_component(licence_name "${CPACK_ORVELUNE_LICENCE}" NAME)
  file(REMOVE "${doc_dir}/${licence_name}")
endif()
