# The layer check run on tests/layers, a tree of files that are never
# compiled, which breaks each rule once beside includes that keep the rules:
# the check must fail and name exactly the lines of tests/layers/faults.txt,
# so that a rule that finds nothing, or finds too much, shows.
#
#   cmake -DROOT=<source folder> -P LayerCheckTest.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(
  COMMAND "${CMAKE_COMMAND}" "-DROOT=${ROOT}/tests/layers" -P "${ROOT}/tests/LayerCheck.cmake"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "The layer check passed a tree that breaks every rule.")
endif()
string(REGEX MATCHALL "\n    [^\n]+" named "${output}")
list(TRANSFORM named STRIP)
file(STRINGS "${ROOT}/tests/layers/faults.txt" expected)
if(NOT named STREQUAL expected)
  list(JOIN named "\n  " named)
  list(JOIN expected "\n  " expected)
  message(FATAL_ERROR "The layer check named\n  ${named}\ninstead of\n  ${expected}")
endif()
