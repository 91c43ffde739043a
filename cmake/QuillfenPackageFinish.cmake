# Run by CPack after it has written the ZIP (CPACK_POST_BUILD_SCRIPTS) and
# before it writes the checksum: makes the ZIP's bytes depend on its files
# and the commit only (cmake/normalise-zip.py).
include(${CPACK_QUILLFEN_SOURCE_DIR}/cmake/QuillfenSourceDate.cmake)
quillfen_source_date_epoch(epoch ${CPACK_QUILLFEN_SOURCE_DIR})
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND ${CPACK_QUILLFEN_PYTHON} ${CPACK_QUILLFEN_SOURCE_DIR}/cmake/normalise-zip.py ${package} ${epoch}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
