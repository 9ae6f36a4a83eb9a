# Plants each way of reaching outside a layer in a tree of its own and fails unless
# scripts/check-layers.cmake fails on every one of them, naming the planted file, and passes on
# a clean tree.
#   cmake -DSOURCE_DIR=<checkout> -DWORK_DIR=<scratch> -P scripts/check-layers-planted.cmake
# A plant is one or more "file|text" pairs; the first file is the one the failure must name.
string(ASCII 13 cr)
string(ASCII 239 187 191 bom)
# The third file of the circle of three modules below.
set(third "model/C.cpp|#include \"model/A.h\"")
set(plants
  # Upward includes, spelt every way.
  "model/a.h|#include \"formats/x.h\""
  "model/a.h|# include \"formats/x.h\""
  "model/a.h|   #include \"formats/x.h\""
  "model/a.h|#  include <formats/x.h>"
  "model/a.h|#include\t\"formats/x.h\""
  "model/sub/a.h|#include \"formats/x.h\""
  "formats/a.hpp|#include \"commands/x.h\""
  "util/a.cc|#include <model/x.h>"
  "commands/a.h|#include \"cli/x.h\""
  "model/a.h|#include_next <formats/x.h>"
  "model/a.h|#import \"formats/x.h\""
  "model/a.h|import <formats/x.h>"
  "model/a.h|export import \"formats/x.h\""
  # Qt below ui/.
  "report/a.h|#include <QString>"
  "formats/a.h|#include <QtCore/QString>"
  # Folders of the checkout that are no layer below, or no layer at all.
  "model/a.h|#include \"tests/x.h\""
  "model/a.h|#include <tests/x.h>"
  "model/a.h|#include <Tests/x.h>"
  "util/a.h|#include \"bench/x.h\""
  "commands/a.h|#include <fuzz/x.h>"
  "cli/a.h|#include \"ui/x.h\""
  "ui/a.h|#include \"tests/x.h\""
  "model/a.h|#include \"later/x.h\""
  "model/a.h|#include \"x.h\""
  "model/a.h|#include <support/x.h>"
  "model/a.h|#include <Other.h>"
  # Paths through another folder, from the root or a drive.
  "model/a.cpp|#include \"../formats/x.h\""
  "model/a.cpp|#include \"./../../commands/x.h\""
  "model/a.h|#include \"model/../formats/x.h\""
  "util/a.h|#include \"util/../../model/x.h\""
  "model/a.h|#include \"model/./x.h\""
  "model/a.h|#include <util/../tests/x.h>"
  "model/a.h|#include <model\\..\\tests\\x.h>"
  "model/a.h|#include </work/tests/x.h>"
  "model/a.h|#include <C:/work/tests/x.h>"
  # Digraph, trigraph, continued lines, line ends and a byte-order mark.
  "model/a.h|%:include \"formats/x.h\""
  "model/a.h|%: include <formats/x.h>"
  "model/a.h|??=include \"formats/x.h\""
  "model/a.h|#include \\\n\"formats/x.h\""
  "model/a.h|# \\\ninclude \"formats/x.h\""
  "model/a.h|#inc\\\nlude \"formats/x.h\""
  "model/a.h|#include ??/\n\"formats/x.h\""
  "model/a.h|#include \\${cr}\n\"formats/x.h\""
  "model/a.h|#include \"model/y.h\"${cr}#include \"formats/x.h\""
  "model/a.h|${bom}#include \"formats/x.h\""
  # Comments and literals that seem to hide an include.
  "model/a.h|#/* */include \"formats/x.h\""
  "model/a.h|#include /* a\nb */ \"formats/x.h\""
  "model/a.h|/* a\nb */ #include \"formats/x.h\""
  "model/a.h|auto s = \"/*\"\n#include \"formats/x.h\"\n// */"
  "model/a.h|auto c = '\"'\n#include \"formats/x.h\"\n// \""
  "model/a.h|int n = 1'000 + 2'000 // */\n#include \"formats/x.h\"\n// */"
  # Headers named through a macro.
  "model/a.h|#include SOME_HEADER"
  "model/a.h|#include PERNARD_X(y)"
  # Files of any name.
  "model/a.inl|#include \"formats/x.h\""
  "model/a.ipp|#include \"formats/x.h\""
  "model/a.cxx|#include \"formats/x.h\""
  "model/a.hh|#include \"formats/x.h\""
  "model/a.c|#include \"formats/x.h\""
  "model/a.mm|#include \"formats/x.h\""
  "model/a|#include \"formats/x.h\""
  "model/.a|#include \"formats/x.h\""
  "model/a.txt|#include \"formats/x.h\""
  # One format's folder reaching into another's.
  "formats/chromium/a.cpp|#include \"formats/firefox/x.h\""
  "formats/firefox/sub/a.h|#include <formats/bookmarkfile/x.h>"
  # Modules that include each other, a header and its source counting as one.
  "util/A.h|#include \"util/B.h\"|util/B.cpp|#include \"util/A.h\""
  "model/A.h|#include \"model/B.h\"|model/B.h|#include \"model/C.h\"|${third}"
)

function(run_check tree expect_failure what named)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree}
                          -P ${CMAKE_CURRENT_LIST_DIR}/check-layers.cmake
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE said)
  if(expect_failure AND result EQUAL 0)
    message(FATAL_ERROR "not caught: ${what}")
  elseif(expect_failure AND NOT said MATCHES "${named}")
    message(FATAL_ERROR "caught for another reason: ${what}\n${said}")
  elseif(NOT expect_failure AND NOT result EQUAL 0)
    message(FATAL_ERROR "a clean tree failed: ${what}\n${said}")
  endif()
endfunction()

# A clean tree: the folders the plants name, and includes every layer may make.
set(tree "${WORK_DIR}/planted")
function(write_clean_tree)
  file(REMOVE_RECURSE "${tree}")
  foreach(folder tests tests/support bench fuzz ui formats/firefox formats/bookmarkfile)
    file(WRITE "${tree}/${folder}/x.h" "")
  endforeach()
  file(WRITE "${tree}/formats/chromium/Other.h" "")
  file(WRITE "${tree}/model/ok.h" [=[
#include "util/x.h"
#include <string>
#include <sqlite3.h>
#include <unicode/ucnv.h>
#include <curl/curl.h>
#include <simdjson.h>
#include <gtest/gtest.h>
#include "model/y.h"
#include "model/ok.inl"
// #include "formats/x.h"
/* #include "commands/x.h"
#include <tests/x.h> */
auto text = "#include \"formats/x.h\"";
int n = 1'000'000;
]=])
  file(WRITE "${tree}/model/ok.cpp" "#include \"model/ok.h\"\n")
  file(WRITE "${tree}/formats/chromium/a.cpp"
       "#include \"formats/chromium/b.h\"\n#include \"formats/Shared.h\"\n")
  file(WRITE "${tree}/formats/Shared.cpp"
       "#include \"formats/Shared.h\"\n#include \"formats/firefox/x.h\"\n")
  file(WRITE "${tree}/ui/ok.cpp"
       "#include <QString>\n#include \"ui/x.h\"\n#include \"model/ok.h\"\n")
endfunction()

write_clean_tree()
run_check("${tree}" FALSE "allowed includes" "")
foreach(plant ${plants})
  string(REPLACE "|" ";" parts "${plant}")
  list(GET parts 0 first)
  write_clean_tree()
  while(parts)
    list(POP_FRONT parts path text)
    file(WRITE "${tree}/${path}" "${text}\n")
  endwhile()
  string(REGEX REPLACE "\\.[^./]*$" "" named "${first}")
  run_check("${tree}" TRUE "${plant}" "${named}")
endforeach()
# A NUL byte, which the compiler skips: a tar archive has them ahead of the file it holds.
write_clean_tree()
file(WRITE "${WORK_DIR}/held.h" "\n#include \"formats/x.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${tree}/model/a.h" held.h
                WORKING_DIRECTORY "${WORK_DIR}")
file(REMOVE "${WORK_DIR}/held.h")
run_check("${tree}" TRUE "a NUL byte" "model/a")
write_clean_tree()
file(CREATE_LINK "${tree}/formats/firefox/x.h" "${tree}/model/link.h" SYMBOLIC)
run_check("${tree}" TRUE "a link" "model/link")
file(REMOVE_RECURSE "${tree}")
