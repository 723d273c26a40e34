# The library's folders as layers that the build enforces.
#
# Each folder with sources compiles as an object library of its own whose include path holds only:
#   <util/x.h>      the exported headers of its own row and of the rows it USES;
#   "folder/x.h"    the private headers of itself and of the folders it USES.
# Anything else ("a back-edge") fails to compile with "No such file or directory". A row names
# only rows above it, so the table cannot hold a cycle. A folder without sources yet is skipped,
# so a row may come before its folder does. Every header of include/util/ belongs to exactly one
# row (util.h, which includes them all, to none); the configure stops on one that does not.
#
# A new folder is one row: util_layer(<folder> USES <folders> HEADERS <its headers without .h>).

function(util_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "USES;HEADERS")
  get_property(known GLOBAL PROPERTY UTIL_LAYERS)
  foreach(used IN LISTS arg_USES)
    if(NOT used IN_LIST known)
      message(FATAL_ERROR "Layer ${folder} uses ${used}, which is not a row above it in cmake/layers.cmake")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY UTIL_LAYERS ${folder})
  set_property(GLOBAL PROPERTY UTIL_LAYER_${folder}_USES ${arg_USES})
  set_property(GLOBAL PROPERTY UTIL_LAYER_${folder}_HEADERS ${arg_HEADERS})
endfunction()

# Lowest first. "resources" has no code: the identifiers of the library's own images and cursors.
set(BELOW_CONTROLS resources framework runtime config runlog pinyin markup frame codec encoding)

util_layer(resources)
util_layer(framework
           HEADERS export win32_names format cstring arrays geometry gdi wnd menu dialog image module
                   filedialog listctrl treectrl button static tooltipctrl edit spinbutton)
util_layer(runtime   USES framework
           HEADERS strutil variant lock thread file recordfile uilanguage)
util_layer(config    USES framework runtime
           HEADERS inimap profile dataini)
util_layer(runlog    USES framework runtime config
           HEADERS runlog)
util_layer(pinyin    USES framework runtime config runlog
           HEADERS pinyin)
util_layer(markup    USES framework runtime config runlog pinyin
           HEADERS markup memmenu)
util_layer(frame     USES resources framework runtime config runlog pinyin markup
           HEADERS kxmsg drawfun drawdc panel captionbuttons xpmenu basewnd basedlg)
util_layer(codec     USES framework runtime
           HEADERS step)
util_layer(encoding  USES framework runtime
           HEADERS hash base64 gzip zip)
# The controls: side by side, each on everything below them.
util_layer(controls  USES ${BELOW_CONTROLS}
           HEADERS checkbox kxstatic iconbutton splitter progressctrl kxspinbutton)
util_layer(composite USES ${BELOW_CONTROLS}
           HEADERS kxtreectrl pagetab tooltip balloon kxtooltipctrl)
util_layer(grid      USES ${BELOW_CONTROLS}
           HEADERS scrollbar grid)
util_layer(lists     USES ${BELOW_CONTROLS}
           HEADERS kxheaderctrl kxlistctrl)
# The verification code is a skinned static text.
util_layer(input     USES ${BELOW_CONTROLS} controls
           HEADERS blowfish inputplatform passedit numedit verifycode)
util_layer(web       USES ${BELOW_CONTROLS}
           HEADERS webhost jsbridge webctrl)
util_layer(export    USES ${BELOW_CONTROLS}
           HEADERS dataexport)
util_layer(media     USES ${BELOW_CONTROLS}
           HEADERS pictureex)
util_layer(shell     USES ${BELOW_CONTROLS}
           HEADERS shelllink)
# Skinned dialogs are built from the controls.
util_layer(skin      USES ${BELOW_CONTROLS} controls input shell lists
           HEADERS skindlg skinbutton skinlist)

# Makes one object library per folder that has sources and adds their objects to the target.
function(util_build_layers target)
  get_property(layers GLOBAL PROPERTY UTIL_LAYERS)
  set(include_dir ${CMAKE_SOURCE_DIR}/include/util)

  # Which row owns each exported header.
  file(GLOB exported RELATIVE ${include_dir} CONFIGURE_DEPENDS ${include_dir}/*.h)
  list(REMOVE_ITEM exported util.h)
  foreach(layer IN LISTS layers)
    get_property(headers GLOBAL PROPERTY UTIL_LAYER_${layer}_HEADERS)
    foreach(header IN LISTS headers)
      if(NOT EXISTS ${include_dir}/${header}.h)
        message(FATAL_ERROR "cmake/layers.cmake gives ${layer} the header ${header}.h, which is not in include/util/")
      endif()
      if(DEFINED owner_${header})
        message(FATAL_ERROR "${header}.h is in two rows of cmake/layers.cmake: ${owner_${header}} and ${layer}")
      endif()
      set(owner_${header} ${layer})
    endforeach()
  endforeach()
  foreach(file IN LISTS exported)
    string(REGEX REPLACE "\\.h$" "" header ${file})
    if(NOT DEFINED owner_${header})
      message(FATAL_ERROR "include/util/${file} belongs to no folder: add it to its folder's row in cmake/layers.cmake")
    endif()
  endforeach()

  foreach(layer IN LISTS layers)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${layer}/*.cpp ${CMAKE_SOURCE_DIR}/${layer}/*.c)
    if(NOT sources)
      continue()
    endif()
    # The folder's view of the tree: links to what it may see, nothing else.
    set(view ${CMAKE_BINARY_DIR}/layers/${layer})
    file(REMOVE_RECURSE ${view})
    file(MAKE_DIRECTORY ${view}/util)
    get_property(uses GLOBAL PROPERTY UTIL_LAYER_${layer}_USES)
    foreach(visible IN ITEMS ${layer} ${uses})
      if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${visible})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${visible} ${view}/${visible} SYMBOLIC)
      endif()
      get_property(headers GLOBAL PROPERTY UTIL_LAYER_${visible}_HEADERS)
      foreach(header IN LISTS headers)
        file(CREATE_LINK ${include_dir}/${header}.h ${view}/util/${header}.h SYMBOLIC)
      endforeach()
    endforeach()

    add_library(${target}_${layer} OBJECT ${sources})
    target_include_directories(${target}_${layer} PRIVATE ${view})
    target_compile_definitions(${target}_${layer} PRIVATE UTIL_BUILDING)
    target_compile_options(${target}_${layer} PRIVATE -Wall -Wextra -Werror)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:${target}_${layer}>)
  endforeach()
endfunction()
