# Checks that each folder's view of the tree (cmake/layers.cmake) lets through what it may use and
# stops a back-edge. Run by CTest: cmake -DCXX=... -DVIEWS=<build>/layers -DWORK=<dir> -P this file.

# folder | what one of its sources includes | compiles
set(rows
  "framework|<util/wnd.h>|yes"
  "framework|<util/strutil.h>|no"
  "runtime|<util/wnd.h>|yes"
  "runtime|\"framework/scoped_handle.h\"|yes"
  "runtime|<util/profile.h>|no"
  "runtime|<util/runlog.h>|no"
  "config|<util/strutil.h>|yes"
  "config|<util/runlog.h>|no"
  "runlog|<util/profile.h>|yes"
  "runlog|\"config/ini_file.h\"|yes"
  "runlog|<util/pinyin.h>|no"
  "pinyin|<util/runlog.h>|yes"
  "markup|<util/pinyin.h>|yes"
  "markup|<util/drawfun.h>|no"
  "markup|<util/xpmenu.h>|no"
  "frame|<util/memmenu.h>|yes"
  "frame|\"resources/resource.h\"|yes"
  "frame|<util/step.h>|no"
  "codec|<util/zip.h>|no"
  "encoding|<util/step.h>|no"
  "input|<util/kxstatic.h>|yes"
  "shell|<util/checkbox.h>|no"
  "controls|<util/shelllink.h>|no"
)

file(MAKE_DIRECTORY ${WORK})
set(passed 0)
set(failed 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 folder)
  list(GET fields 1 header)
  list(GET fields 2 expected)
  set(source ${WORK}/${folder}_${passed}_${failed}.cpp)
  file(WRITE ${source} "#include ${header}\n")
  execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -DUNICODE -D_UNICODE -DNOMINMAX -DUTIL_BUILDING
                          -I${VIEWS}/${folder} ${source}
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
  if(status EQUAL 0)
    set(compiled yes)
  elseif(errors MATCHES "No such file or directory")
    set(compiled no)
  else()
    set(compiled "with other errors: ${errors}")
  endif()
  if(compiled STREQUAL expected)
    math(EXPR passed "${passed} + 1")
  else()
    math(EXPR failed "${failed} + 1")
    message("FAILED: ${folder} including ${header}: expected to compile: ${expected}, compiled: ${compiled}")
  endif()
endforeach()
message("${passed} passed, ${failed} failed")
if(failed)
  message(FATAL_ERROR "a folder sees what it must not, or misses what it may use")
endif()
