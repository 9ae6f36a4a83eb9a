# Plants each spelling of an upward include (and a Qt include) in a tree of its own and fails
# unless scripts/check-layers.cmake fails on every one of them, and passes on a clean tree.
#   cmake -DSOURCE_DIR=<checkout> -DWORK_DIR=<scratch> -P scripts/check-layers-planted.cmake
set(plants
  "model/a.h|#include \"formats/x.h\""
  "model/a.h|# include \"formats/x.h\""
  "model/a.h|   #include \"formats/x.h\""
  "model/a.h|#  include <formats/x.h>"
  "model/a.cpp|#include \"../formats/x.h\""
  "model/a.cpp|#include \"./../../commands/x.h\""
  "model/sub/a.h|#include \"formats/x.h\""
  "formats/a.hpp|#include \"commands/x.h\""
  "util/a.cc|#include <model/x.h>"
  "commands/a.h|#include \"cli/x.h\""
  "report/a.h|#include <QString>"
  "formats/a.h|#include <QtCore/QString>"
)
function(run_check tree expect_failure what)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree}
                          -P ${CMAKE_CURRENT_LIST_DIR}/check-layers.cmake
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(expect_failure AND result EQUAL 0)
    message(FATAL_ERROR "not caught: ${what}")
  elseif(NOT expect_failure AND NOT result EQUAL 0)
    message(FATAL_ERROR "a clean tree failed: ${what}")
  endif()
endfunction()

set(tree "${WORK_DIR}/planted")
file(REMOVE_RECURSE "${tree}")
file(WRITE "${tree}/model/ok.h" "#include \"util/x.h\"\n#include <string>\n#include \"model/y.h\"\n")
run_check("${tree}" FALSE "allowed includes")
foreach(plant ${plants})
  string(REPLACE "|" ";" parts "${plant}")
  list(GET parts 0 path)
  list(GET parts 1 line)
  file(REMOVE_RECURSE "${tree}")
  file(WRITE "${tree}/${path}" "${line}\n")
  run_check("${tree}" TRUE "${path}: ${line}")
endforeach()
file(REMOVE_RECURSE "${tree}")
