# The Windows build's tests, run by CTest on this machine with each program
# under Wine (`ctest --preset windows`). The scripts start a wineserver of
# their own, so no two of them share the machine; POSIX tests may run beside
# them.
find_program(QUILLFEN_PYTHON python3 NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(harness ${PROJECT_SOURCE_DIR}/tests/wine)

add_test(NAME wine.windows_build COMMAND ${QUILLFEN_PYTHON} ${harness}/run-wine-tests ${PROJECT_BINARY_DIR})
add_test(NAME wine.host_call_sweep COMMAND ${QUILLFEN_PYTHON} ${harness}/sweep-wine ${PROJECT_BINARY_DIR})
# The release ZIP is made first, then its files and the version resources of
# the exes in it are checked.
add_test(NAME wine.make_package
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME wine.release_package
  COMMAND ${QUILLFEN_PYTHON} ${harness}/check-package ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(wine.make_package PROPERTIES FIXTURES_SETUP release_zip LABELS wine)
set_tests_properties(wine.release_package PROPERTIES FIXTURES_REQUIRED release_zip)
# The pages a user unzips link only to what the ZIP holds.
add_test(NAME docs.package_links
  COMMAND ${QUILLFEN_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/check-docs
          --zip ${QUILLFEN_PACKAGE_ZIP})
set_tests_properties(docs.package_links PROPERTIES FIXTURES_REQUIRED release_zip LABELS docs)
# Quillfen.exe on a pseudo-terminal, writing through WriteConsoleW.
add_test(NAME wine.console COMMAND ${QUILLFEN_PYTHON} ${harness}/console-wine ${PROJECT_BINARY_DIR})
# Repeated runs that release many item and annotations objects, each hang a
# failure: about two minutes (QUILLFEN_SOAK_SECONDS sets the budget).
add_test(NAME wine.soak COMMAND ${QUILLFEN_PYTHON} ${harness}/soak-wine ${PROJECT_BINARY_DIR})
# Runs of every kind with Wine's RPC trace on the host: none may withdraw an
# interface's registration, which is where Wine deadlocks (see
# hostsim/server/interface_keep_alive.h).
add_test(NAME wine.registrations_held
  COMMAND ${QUILLFEN_PYTHON} ${harness}/soak-wine ${PROJECT_BINARY_DIR} --runs 10 --seed 1
          --watch-registrations)

set_tests_properties(wine.windows_build PROPERTIES TIMEOUT 900 LABELS wine RESOURCE_LOCK wine)
set_tests_properties(wine.host_call_sweep PROPERTIES TIMEOUT 900 LABELS "wine;sweep" RESOURCE_LOCK wine)
set_tests_properties(wine.release_package wine.console PROPERTIES TIMEOUT 300 LABELS wine RESOURCE_LOCK wine)
set_tests_properties(wine.soak PROPERTIES TIMEOUT 300 LABELS soak RESOURCE_LOCK wine)
set_tests_properties(wine.registrations_held PROPERTIES TIMEOUT 300 LABELS wine RESOURCE_LOCK wine)
