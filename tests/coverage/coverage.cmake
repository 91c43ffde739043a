# The coverage build's check: every test of this folder needs the `coverage`
# fixture, so CTest runs coverage.reset before any of them and
# coverage.report after all of them, whichever tests a run selects.
add_test(NAME coverage.reset
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/coverage_check.py reset ${PROJECT_BINARY_DIR})
add_test(NAME coverage.report
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/coverage_check.py report
          ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR} ${CMAKE_CURRENT_LIST_DIR}/unreachable-lines.txt)
set_tests_properties(coverage.reset PROPERTIES LABELS coverage FIXTURES_SETUP coverage)
set_tests_properties(coverage.report PROPERTIES LABELS coverage FIXTURES_CLEANUP coverage)

get_property(quillfen_tests DIRECTORY PROPERTY TESTS)
list(REMOVE_ITEM quillfen_tests coverage.reset coverage.report)
set_tests_properties(${quillfen_tests} PROPERTIES FIXTURES_REQUIRED coverage)

# A workflow's steps cannot print a file, so its last step builds this target,
# which shows the tables that coverage.report left.
add_custom_target(coverage_table
  COMMAND ${CMAKE_COMMAND} -E cat ${PROJECT_BINARY_DIR}/coverage/table.txt
  USES_TERMINAL)
