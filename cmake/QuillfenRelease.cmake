# The Windows release: the version resource and manifest of each exe, and
# the ZIP a user downloads (cpack, or the `package` target).

# Gives TARGET a VERSIONINFO resource and an application manifest.
# NAME is the exe's file name without .exe.
function(quillfen_version_resource target name description)
  set(QF_RESOURCE_NAME ${name})
  set(QF_RESOURCE_DESCRIPTION ${description})
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/app.manifest.in ${manifest} @ONLY)
  if(MSVC)
    # The MSVC linker embeds a manifest of its own and merges listed ones in.
    set(QF_RESOURCE_MANIFEST_LINE "")
    target_sources(${target} PRIVATE ${manifest})
  else()
    # RT_MANIFEST (24), id 1: the manifest of an exe.
    set(QF_RESOURCE_MANIFEST_LINE "1 24 \"${manifest}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/version.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${manifest})
  target_sources(${target} PRIVATE ${rc})
endfunction()

# A macro: CPack reads its settings from the scope it is included in.
macro(quillfen_windows_package)
  install(TARGETS quillfen lumora_host RUNTIME DESTINATION .)
  include(${PROJECT_SOURCE_DIR}/cmake/QuillfenPackageReadme.cmake)
  quillfen_package_readme(${PROJECT_BINARY_DIR}/package/README.md)
  install(FILES ${PROJECT_BINARY_DIR}/package/README.md ${PROJECT_SOURCE_DIR}/LICENSE
          ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/examples/photos.json DESTINATION examples)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win32)
  endif()
  # Unzipping gives one folder named like the ZIP, not files strewn about.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
  # The ZIP's path for its checks; include(CPack) leaves CPACK_PACKAGE_FILE_NAME
  # naming the source package.
  set(QUILLFEN_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
  # The same files give the same ZIP: once CPack has written it, the ZIP is
  # rewritten with its entries in name order, stamped with the commit's time,
  # without owners (cmake/QuillfenPackageFinish.cmake). Then CPack writes
  # Quillfen-<version>-win64.zip.sha256 beside it, in sha256sum's format.
  find_program(QUILLFEN_PYTHON python3 NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(CPACK_QUILLFEN_SOURCE_DIR ${PROJECT_SOURCE_DIR})
  set(CPACK_QUILLFEN_PYTHON ${QUILLFEN_PYTHON})
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/QuillfenPackageFinish.cmake)
  set(CPACK_PACKAGE_CHECKSUM SHA256)
  include(CPack)
endmacro()
