# The time a release is stamped with, in seconds since 1970 (UTC): that of
# the commit it is built from, so every build of one commit carries the same
# time wherever and whenever it runs. SOURCE_DATE_EPOCH, when set, wins, as
# reproducible-build tools expect; without git (a source archive) the time of
# the top-level CMakeLists.txt stands in, which archives of a commit keep.
function(quillfen_source_date_epoch out source_dir)
  if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    set(${out} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
    return()
  endif()
  find_program(QUILLFEN_GIT git)
  if(QUILLFEN_GIT)
    execute_process(COMMAND ${QUILLFEN_GIT} -C ${source_dir} log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed AND epoch MATCHES "^[0-9]+$")
      set(${out} ${epoch} PARENT_SCOPE)
      return()
    endif()
  endif()
  file(TIMESTAMP ${source_dir}/CMakeLists.txt epoch "%s" UTC)
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()
