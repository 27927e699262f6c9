# Checks at configure time that includes point one way, down the layers
#   app (the system: interfaces, Win32 adapters, metadata) < Module1 (the restart) < hosts (the
#   hosts file) < lookup (the other places on a name's way to its address) < the front ends:
#   forms (the windows) and console (the command line), which never include each other,
# with one exception, start-up (app/main.cpp), which starts either front end; and that the
# portable logic (the sources of `logic_target` and their headers, and every file of Module1/,
# hosts/, lookup/ and console/) never includes a Windows header, so that it keeps building natively.
function(hostovik_check_layers logic_target)
  set(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/..")
  set(rank_app 0)
  set(rank_Module1 1)
  set(rank_hosts 2)
  set(rank_lookup 3)
  set(rank_forms 4)
  set(rank_console 4)
  file(GLOB_RECURSE files RELATIVE "${root}" "${root}/app/*.h" "${root}/app/*.cpp" "${root}/hosts/*"
       "${root}/Module1/*" "${root}/lookup/*" "${root}/forms/*" "${root}/console/*")
  get_target_property(logic ${logic_target} SOURCES)
  set(portable "")
  foreach(src IN LISTS logic)
    string(REGEX REPLACE "\\.cpp$" "" stem "${src}")
    list(APPEND portable "${stem}.cpp" "${stem}.h")
  endforeach()
  set(faults "")
  foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" folder "${file}")
    file(STRINGS "${root}/${file}" includes REGEX "^#include")
    foreach(line IN LISTS includes)
      # (The match is taken into a variable first: ${CMAKE_MATCH_1} in the same if() would be the previous one.)
      if(line MATCHES "^#include \"([^/\"]+)/")
        set(to "${CMAKE_MATCH_1}")
        # Up a layer, or across to the other front end.
        if(DEFINED rank_${to} AND NOT to STREQUAL folder AND NOT rank_${to} LESS rank_${folder} AND
           NOT file STREQUAL "app/main.cpp")
          list(APPEND faults "${file} reaches up: ${line}")
        endif()
      endif()
      if(line MATCHES "<(windows|shellapi|commctrl)\\.h>" AND
         (folder MATCHES "^(hosts|Module1|lookup|console)$" OR file IN_LIST portable))
        list(APPEND faults "${file} is portable logic but includes ${line}")
      endif()
    endforeach()
  endforeach()
  if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "Layer rule broken:\n  ${text}")
  endif()
endfunction()
