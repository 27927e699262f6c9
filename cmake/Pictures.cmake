# The icons and the cursor live in app/res as text pixel art, so they can be
# reviewed in diffs; the build turns them into .ico/.cur for the resource script.
#
#   hostovik_pictures(PICTURES)
#   target_sources(app PRIVATE app.rc ${PICTURES})
#
# The files land in ${CMAKE_CURRENT_BINARY_DIR}/res, which belongs on the RC
# include path.
function(hostovik_pictures out_var)
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  set(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/..")
  set(script "${root}/scripts/pixelart.py")
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/res")
  set(outputs "")
  foreach(picture app.ico button_p.ico question.ico hand.cur)
    get_filename_component(name "${picture}" NAME_WE)
    set(src "${root}/app/res/${name}.txt")
    set(out "${out_dir}/${picture}")
    add_custom_command(
      OUTPUT "${out}"
      COMMAND Python3::Interpreter "${script}" "${src}" "${out}"
      DEPENDS "${src}" "${script}"
      COMMENT "Drawing ${picture}"
      VERBATIM)
    list(APPEND outputs "${out}")
  endforeach()
  set(${out_var} "${outputs}" PARENT_SCOPE)
endfunction()
