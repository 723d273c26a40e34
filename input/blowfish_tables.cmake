# The cipher's initial tables, computed from the digits of pi when the library is built.
find_program(BLOWFISH_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(BLOWFISH_GENERATED ${CMAKE_BINARY_DIR}/generated)
add_custom_command(OUTPUT ${BLOWFISH_GENERATED}/blowfish_pi_tables.h
  COMMAND ${CMAKE_COMMAND} -E make_directory ${BLOWFISH_GENERATED}
  COMMAND ${BLOWFISH_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/blowfish_tables.py ${BLOWFISH_GENERATED}/blowfish_pi_tables.h
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/blowfish_tables.py)
target_sources(util_input PRIVATE ${BLOWFISH_GENERATED}/blowfish_pi_tables.h)
target_include_directories(util_input PRIVATE ${BLOWFISH_GENERATED})
