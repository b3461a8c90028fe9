# Turns the string table of a resource script into C++ source: a function
# giving the texts (UTF-8, as in the script) by id, for the host build, whose
# simulated Windows serves them through LoadStringA.
#
#   cmake -DINPUT=strings.rc -DOUTPUT=tool_strings.cpp -DFUNCTION=ToolStringTable
#         -DHEADER=tool_strings.h -P string_table.cmake
#
# Every line between BEGIN and END is blank, a // comment, or `ID, "text"`.
# The text keeps the script's escapes, which C++ reads alike (\n, \t, \\);
# a doubled quote is a quote. Any other line is an error, so that no text
# is lost without notice.
#
# Lines are cut and matched as plain strings, never as lists, so that a
# text may hold any character (";" and brackets included).
cmake_policy(VERSION 3.21)

foreach(var INPUT OUTPUT FUNCTION HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "string_table.cmake: ${var} is not set")
  endif()
endforeach()

get_filename_component(input_name "${INPUT}" NAME)
file(READ "${INPUT}" script)
string(REPLACE "\r" "" script "${script}")
set(entries "")
set(inside FALSE)
set(line_number 0)
while(NOT script STREQUAL "")
  string(FIND "${script}" "\n" end)
  if(end EQUAL -1)
    set(line "${script}")
    set(script "")
  else()
    string(SUBSTRING "${script}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${script}" ${next} -1 script)
  endif()
  math(EXPR line_number "${line_number} + 1")
  string(STRIP "${line}" stripped)

  if(stripped STREQUAL "BEGIN")
    set(inside TRUE)
  elseif(stripped STREQUAL "END")
    set(inside FALSE)
  elseif(inside AND NOT stripped STREQUAL "" AND NOT stripped MATCHES "^//")
    if(NOT stripped MATCHES "^([0-9]+)[ \t]*,[ \t]*\"(.*)\"$")
      message(FATAL_ERROR "${INPUT}:${line_number}: not an `ID, \"text\"` line: ${stripped}")
    endif()
    set(id "${CMAKE_MATCH_1}")
    string(REPLACE "\"\"" "\\\"" text "${CMAKE_MATCH_2}")
    string(APPEND entries "      {${id}, \"${text}\"},\n")
  endif()
endwhile()

if(entries STREQUAL "")
  message(FATAL_ERROR "${INPUT}: no string table entries")
endif()

file(WRITE "${OUTPUT}"
"// Generated from ${input_name} by cmake/string_table.cmake; do not edit.
#include \"${HEADER}\"

std::map<UINT, std::string> ${FUNCTION}() {
  return {
${entries}  };
}
")
