# cmake -DSOURCE_DIR=... -DOUTPUT=... -P write-source-date-epoch.cmake
# Run on every build: writes the commit's time to OUTPUT, and touches OUTPUT
# only when that time changed, so what depends on it is rebuilt only after a
# new commit.
include(${CMAKE_CURRENT_LIST_DIR}/QuillfenSourceDate.cmake)
quillfen_source_date_epoch(epoch ${SOURCE_DIR})
file(WRITE ${OUTPUT}.new "${epoch}\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
