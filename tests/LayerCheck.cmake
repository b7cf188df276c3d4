# The house reads top to bottom: the main window's layer (app/) hands the
# dialogs and the run dialogs what they work on, and they never reach back up,
# neither by including a file of app/ nor through the program's global
# objects. Fails naming every line that does.
#
#   cmake -DROOT=<source folder> -P LayerCheck.cmake
set(kBelowTheWindow dialogs analysis/ui)
set(kReachingUp "#include \"app/|globals::")

set(faults "")
foreach(folder IN LISTS kBelowTheWindow)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${ROOT}/${source}" lines REGEX "${kReachingUp}")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      string(APPEND faults "  ${source}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Files below the main window reach up into it:\n${faults}")
endif()
