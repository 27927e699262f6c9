# The event log's message table: app/events.mc compiled into res/events.rc and its MSG00409.bin,
# which app/hostovik.rc includes, so that both programs carry it.
#
#   hostovik_messages(TABLE)
#   add_executable(app ... app.rc ${TABLE})   # TABLE: the generated files, for the dependencies
#
# The compiler is CMAKE_MC_COMPILER: MinGW's windmc, found by the toolchain's prefix
# (cmake/mingw-common.cmake), or the Windows SDK's mc.exe, which CMake finds for MSVC. Both take
# the same file and options.
function(hostovik_messages out_var)
  if(NOT CMAKE_MC_COMPILER)
    find_program(CMAKE_MC_COMPILER NAMES mc windmc REQUIRED)
  endif()
  set(src "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../app/events.mc")
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/res")
  set(outputs "${out_dir}/events.rc" "${out_dir}/MSG00409.bin")
  add_custom_command(
    OUTPUT ${outputs} "${out_dir}/events.h"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${out_dir}"
    COMMAND "${CMAKE_MC_COMPILER}" -h "${out_dir}" -r "${out_dir}" "${src}"
    DEPENDS "${src}"
    COMMENT "Compiling the event log's messages"
    VERBATIM)
  # Included by the resource script, never compiled on its own.
  set_source_files_properties("${out_dir}/events.rc" PROPERTIES HEADER_FILE_ONLY ON)
  set(${out_var} "${outputs}" PARENT_SCOPE)
endfunction()
