# Run by CPack after the install rules filled its staging tree: adds the
# Debian changelog and, once the project has a licence file, the copyright
# file to the package's documentation folder (see cmake/Packaging.cmake).
set(doc_dir "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_ORVELUNE_DEBIAN_DOC_DIR}")
file(MAKE_DIRECTORY "${doc_dir}")
file(COPY_FILE "${CPACK_ORVELUNE_CHANGELOG}" "${doc_dir}/changelog.gz")
if(CPACK_ORVELUNE_LICENCE)
  file(COPY_FILE "${CPACK_ORVELUNE_LICENCE}" "${doc_dir}/copyright")
endif()
