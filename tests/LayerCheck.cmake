# The house reads top to bottom. Each folder below the main window includes
# only the folders its row in kLayers names, so nothing there reaches up into
# app/; the view stands on the model and the platform alone and meets the
# window system only in its clipping dialog; and the program's global objects
# are touched only by app/ and the tests. Fails naming every line that breaks
# a rule.
#
#   cmake -DROOT=<source folder> -P LayerCheck.cmake
cmake_minimum_required(VERSION 3.25)

# <folder>=<the folders its files may include>; a folder listed here is not
# part of the folder above it, and naming a folder allows its own files, not
# those of the folders in it. Every folder may include the headers that Qt's
# uic makes of its forms (ui_*.h).
set(kLayers
  "platform=platform"
  "platform/qt=platform/qt platform"
  "model=model platform"
  "analysis=analysis model platform"
  "view=view model platform platform/qt"
  "dialogs=dialogs analysis view model platform platform/qt"
  "analysis/ui=analysis/ui analysis model platform platform/qt")
# Only these reach the six global objects.
set(kGlobalsAllowed app tests)
# Files of the view that may include Qt.
set(kViewQt "^view/frmClip\\.")

set(faults "")
# A line may break two rules; it is named once.
macro(fault source line)
  string(STRIP "${line}" stripped)
  string(FIND "${faults}" "  ${source}: ${stripped}\n" known)
  if(known EQUAL -1)
    string(APPEND faults "  ${source}: ${stripped}\n")
  endif()
endmacro()

set(folders "")
foreach(layer IN LISTS kLayers)
  string(REGEX REPLACE "=.*" "" folder "${layer}")
  list(APPEND folders "${folder}")
endforeach()

foreach(layer IN LISTS kLayers)
  string(REGEX REPLACE "=.*" "" folder "${layer}")
  string(REGEX REPLACE ".*=" "" allowed "${layer}")
  string(REPLACE " " "|" allowed "${allowed}")
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    set(nested FALSE)
    foreach(other IN LISTS folders)
      if(other MATCHES "^${folder}/" AND source MATCHES "^${other}/")
        set(nested TRUE)
      endif()
    endforeach()
    if(nested)
      continue()
    endif()
    file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]*)\"")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target MATCHES "^(${allowed})/[^/]+$" AND NOT target MATCHES "^ui_[A-Za-z0-9_]+\\.h$")
          fault("${source}" "${line}")
        endif()
      elseif(folder STREQUAL "view" AND line MATCHES "<Q" AND NOT source MATCHES "${kViewQt}")
        fault("${source}" "${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

file(GLOB tops RELATIVE "${ROOT}" "${ROOT}/*")
foreach(top IN LISTS tops)
  if(NOT IS_DIRECTORY "${ROOT}/${top}" OR top MATCHES "^(\\.|build)" OR top IN_LIST kGlobalsAllowed)
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${top}/*.h" "${ROOT}/${top}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${ROOT}/${source}" lines REGEX "globals::|#[ \t]*include[ \t]*\"app/Globals\\.h\"")
    foreach(line IN LISTS lines)
      fault("${source}" "${line}")
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Files reach past their layer:\n${faults}")
endif()
