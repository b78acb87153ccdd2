# Fails when an #include crosses the layers upwards. Run by the build (target
# corvanes_layer_check, which every library depends on) and usable alone:
#   cmake -DROOT=<source dir> -DINTERNAL_USERS="fuzz;tools/pdx;..." -P cmake/check_layers.cmake
#
# Layers from the bottom: src/paradox (0), src/util (1), src/data (2), the task
# subsystems and the demo generator (3: src/agency, transfer, stats, catalogue,
# demo), the windows (4: src/forms, src/app). A file includes headers of its own
# layer or below. Qt headers belong to the windows (and their tests and benchmark) only. The
# engine's internal headers (src/paradox/<room>/...) are included outside the
# engine only by the folders listed in INTERNAL_USERS.
if(NOT ROOT)
  message(FATAL_ERROR "check_layers.cmake: ROOT not set")
endif()

set(_level_paradox 0)
set(_level_util 1)
set(_level_data 2)
foreach(d agency transfer stats catalogue demo)
  set(_level_${d} 3)
endforeach()
set(_level_forms 4)
set(_level_app 4)

# The level of the folder a file lives in; tools sit above the subsystems and
# beside the windows, tests and benchmarks on top.
function(_folder_level rel out_level out_qt)
  set(qt OFF)
  if(rel MATCHES "^src/([^/]+)/")
    set(dir "${CMAKE_MATCH_1}")
    if(DEFINED _level_${dir})
      set(level ${_level_${dir}})
    else()
      set(level 3)  # a new subsystem: below the windows until declared otherwise
    endif()
    if(level EQUAL 4)
      set(qt ON)
    endif()
  elseif(rel MATCHES "^(tests|bench)/gui/")
    set(level 5)
    set(qt ON)
  elseif(rel MATCHES "^tests/")
    set(level 5)
  elseif(rel MATCHES "^(tools|fuzz|bench)/")
    set(level 3)
  else()
    set(level 5)
  endif()
  set(${out_level} ${level} PARENT_SCOPE)
  set(${out_qt} ${qt} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE _files RELATIVE "${ROOT}"
     "${ROOT}/src/*.h" "${ROOT}/src/*.cpp" "${ROOT}/tools/*.h" "${ROOT}/tools/*.cpp"
     "${ROOT}/tests/*.h" "${ROOT}/tests/*.cpp" "${ROOT}/fuzz/*.h" "${ROOT}/fuzz/*.cpp"
     "${ROOT}/bench/*.h" "${ROOT}/bench/*.cpp")

set(_errors "")
foreach(rel ${_files})
  _folder_level("${rel}" level qt_ok)
  set(in_engine OFF)
  if(rel MATCHES "^src/paradox/")
    set(in_engine ON)
  endif()
  set(internal_ok ${in_engine})
  foreach(user ${INTERNAL_USERS})
    if(rel MATCHES "^${user}/")
      set(internal_ok ON)
    endif()
  endforeach()
  file(STRINGS "${ROOT}/${rel}" _lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${_lines})
    if(line MATCHES "#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      set(inc "${CMAKE_MATCH_1}")
    else()
      continue()
    endif()
    if(inc MATCHES "^Q[A-Za-z]*(/|$)" AND NOT qt_ok)
      string(APPEND _errors "  ${rel}: Qt header <${inc}> below the windows\n")
    elseif(inc MATCHES "^([a-z_]+)/")
      set(top "${CMAKE_MATCH_1}")
      if(DEFINED _level_${top} AND _level_${top} GREATER level)
        string(APPEND _errors "  ${rel}: includes \"${inc}\" from a higher layer\n")
      elseif(top STREQUAL "support" AND NOT rel MATCHES "^tests/")
        string(APPEND _errors "  ${rel}: includes the test helper \"${inc}\"\n")
      elseif(top STREQUAL "paradox" AND inc MATCHES "^paradox/[^/]+/" AND NOT internal_ok)
        string(APPEND _errors "  ${rel}: includes the engine's internal header \"${inc}\"\n")
      endif()
    endif()
  endforeach()
endforeach()

if(_errors)
  message(FATAL_ERROR "Includes crossing the layers:\n${_errors}"
          "Include only headers of the file's own layer or below (see the README's layout).")
endif()
