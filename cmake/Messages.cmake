# The event log's message table: app/events.mc, compiled into res/events.rc and its .bin, which
# app/hostovik.rc takes when HOSTOVIK_MESSAGES is defined.
#
#   hostovik_check_event_ids()      the .mc's IDs are console/RunEvent.h's, at configure time
#   hostovik_messages(TABLE)        TABLE: the generated .bin, for the programs' sources (events.rc
#                                   comes with it, and is no source: hostovik.rc includes it);
#                                   empty without a message compiler
#
# MinGW's windmc sits beside its windres; MSVC's mc.exe (CMAKE_MC_COMPILER, from the Windows SDK)
# takes the same file and options.
function(hostovik_check_event_ids)
  set(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/..")
  file(STRINGS "${root}/console/RunEvent.h" header REGEX "^ +[A-Za-z]+ = [0-9]+,")
  file(STRINGS "${root}/app/events.mc" table REGEX "^MessageId=[0-9]+$")
  string(REGEX MATCHALL "[0-9]+," header_ids "${header}")
  string(REGEX MATCHALL "[0-9]+" header_ids "${header_ids}")
  string(REGEX MATCHALL "[0-9]+" table_ids "${table}")
  if(NOT header_ids STREQUAL table_ids OR header_ids STREQUAL "")
    message(FATAL_ERROR "app/events.mc has the event IDs ${table_ids}, console/RunEvent.h ${header_ids}: make them one list")
  endif()
endfunction()

function(hostovik_messages out_var)
  set(compiler "${CMAKE_MC_COMPILER}")
  if(NOT compiler)
    string(REPLACE windres windmc beside "${CMAKE_RC_COMPILER}")
    find_program(HOSTOVIK_WINDMC NAMES "${beside}" windmc)
    set(compiler "${HOSTOVIK_WINDMC}")
  endif()
  if(NOT compiler)
    message(WARNING "No message compiler (windmc or mc.exe): the event log's entries will lack their message table")
    set(${out_var} "" PARENT_SCOPE)
    return()
  endif()
  set(src "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../app/events.mc")
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/res")
  set(table "${out_dir}/MSG00409.bin")
  add_custom_command(
    OUTPUT "${table}" "${out_dir}/events.rc" "${out_dir}/events.h"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${out_dir}"
    COMMAND "${compiler}" -h "${out_dir}" -r "${out_dir}" "${src}"
    DEPENDS "${src}"
    COMMENT "Compiling the event log's messages"
    VERBATIM)
  set(${out_var} "${table}" PARENT_SCOPE)
endfunction()
