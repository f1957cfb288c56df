cmake_minimum_required(VERSION 3.25)

# Fails when a source of a layer includes a header of a layer it may not use: core uses
# nothing else, data and the report engine use core, ui uses those three; the screens may use
# every layer. Run with -DSIMAT_SOURCE_DIR=<src>.
set(may_use_core core)
set(may_use_data core data)
set(may_use_report_engine core report_engine)
set(may_use_ui core data report_engine ui)
set(folders core data report_engine ui app basic_data cases checklist inquiries reports users
    resources)

set(include_line "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">]")
set(wrong 0)
foreach(layer core data report_engine ui)
  file(GLOB_RECURSE sources ${SIMAT_SOURCE_DIR}/${layer}/*.h ${SIMAT_SOURCE_DIR}/${layer}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "${include_line}")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "${include_line}.*" "\\1" header "${line}")
      string(REGEX MATCH "^[^/]*" folder "${header}")
      if(header MATCHES "/" AND (folder IN_LIST folders OR folder STREQUAL "..")
         AND NOT folder IN_LIST may_use_${layer})
        file(RELATIVE_PATH shown ${SIMAT_SOURCE_DIR} ${source})
        message("${shown}: ${layer} includes ${header}")
        math(EXPR wrong "${wrong} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "${wrong} includes run against the layers")
endif()
