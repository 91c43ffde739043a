# The layers of Quillfen, each a library that sees only the layers below it:
#
#   app        driver, CApplication, CCatalog, entry point
#   tree       CMediaSetTree, CMediaSetNode, the load        keywords  text rules, the keyword pass
#   report     console output, the print operations
#   host       host interfaces, counted reference, host-call error, call wrappers
#   platform   the COM and OLE Automation surface
#
# quillfen_layer() makes the layer's library and refuses, when CMake runs, any
# file of src/<layer>/ that includes a header of a layer it does not see. The
# one exception is a member function defined in another subsystem's folder
# (CApplication::PrintInfo in report/, CMediaSetNode::AddKeywords in
# keywords/): its file may include its class's header, and is named with
# OWNS_MEMBERS_OF.
function(quillfen_layer layer)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "SOURCES;SEES;OWNS_MEMBERS_OF")
  set(allowed ${layer} ${LAYER_SEES})
  if(layer STREQUAL "platform")
    list(APPEND allowed posix)
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(RELATIVE_PATH name ${CMAKE_CURRENT_SOURCE_DIR} ${file})
    set(seen ${allowed})
    # OWNS_MEMBERS_OF holds pairs: a file and the layer whose class it extends.
    set(pairs ${LAYER_OWNS_MEMBERS_OF})
    while(pairs)
      list(POP_FRONT pairs owner extended)
      if(owner STREQUAL name)
        list(APPEND seen ${extended})
      endif()
    endwhile()
    file(STRINGS ${file} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" included ${line})
      if(NOT included IN_LIST seen)
        message(FATAL_ERROR "src/${name} includes a header of the ${included} layer, which the ${layer} layer does not see "
                            "(it sees: ${allowed})")
      endif()
    endforeach()
  endforeach()

  add_library(quillfen_${layer} STATIC ${LAYER_SOURCES})
  target_include_directories(quillfen_${layer} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(below ${LAYER_SEES})
    target_link_libraries(quillfen_${layer} PUBLIC quillfen_${below})
  endforeach()
  quillfen_warnings(quillfen_${layer})
  quillfen_lint(quillfen_${layer})
endfunction()
