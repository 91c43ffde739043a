# The README a user unzips: the repository's README.md up to the line that
# ends the user's page. What follows that line (the developers' part) links
# to docs/ and bench/, which the ZIP does not hold.
set(QUILLFEN_USER_PAGE_END "<!-- The user's page ends here")

# Writes the user's page of README.md to OUTPUT, again whenever README.md
# changes.
function(quillfen_package_readme output)
  set(readme ${PROJECT_SOURCE_DIR}/README.md)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme})
  file(READ ${readme} text)
  string(FIND "${text}" "${QUILLFEN_USER_PAGE_END}" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "README.md has no line '${QUILLFEN_USER_PAGE_END} ...', which ends the ZIP's README")
  endif()
  string(SUBSTRING "${text}" 0 ${end} page)
  string(REGEX REPLACE "\n+$" "\n" page "${page}")
  file(WRITE ${output} "${page}")
endfunction()
