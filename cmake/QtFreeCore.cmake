# The core library must build without Qt. Any Qt include in src/core stops the configure step,
# and the test core_is_qt_free repeats the check on every test run.
function(nibblet_check_qt_free sources)
  foreach(source ${sources})
    file(STRINGS ${source} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt|Qt)")
    if(hits)
      message(FATAL_ERROR "Core file ${source} includes Qt: ${hits}")
    endif()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND SOURCE_DIR)
  file(GLOB_RECURSE core_sources ${SOURCE_DIR}/src/core/*.cpp ${SOURCE_DIR}/src/core/*.h)
  nibblet_check_qt_free("${core_sources}")
  message(STATUS "core is Qt-free (${SOURCE_DIR}/src/core)")
endif()
