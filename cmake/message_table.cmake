# Reads the tool's message table source (windmc's .mc format, UTF-8) and
# writes a header with each message's id as windmc computes it (the
# severity in the top two bits), and, when CPP is given, C++ source with the
# texts (UTF-8 by id, each line ended by CR LF as in the compiled table) for
# the host build, whose simulated Windows serves them through FormatMessageA.
#
#   cmake -DINPUT=events.mc -DHEADER=event_messages.h [-DCPP=tool_messages.cpp
#         -DFUNCTION=ToolMessageTable -DCPP_HEADER=tool_messages.h] -P message_table.cmake
#
# Understood: comment lines (";"), MessageIdTypedef, LanguageNames, and
# messages of MessageId, Severity, SymbolicName and Language lines followed
# by their text up to a line holding only ".". Anything else is an error, so
# that no message is lost without notice.
cmake_policy(VERSION 3.21)

foreach(var INPUT HEADER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "message_table.cmake: ${var} is not set")
  endif()
endforeach()

set(severity_Success 0)
set(severity_Informational 1)
set(severity_Warning 2)
set(severity_Error 3)

get_filename_component(input_name "${INPUT}" NAME)
file(READ "${INPUT}" source)
string(REPLACE "\r" "" source "${source}")
set(defines "")
set(entries "")
set(in_text FALSE)
set(line_number 0)
set(id "")
set(severity 0)
set(name "")
while(NOT source STREQUAL "")
  string(FIND "${source}" "\n" end)
  if(end EQUAL -1)
    set(line "${source}")
    set(source "")
  else()
    string(SUBSTRING "${source}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${source}" ${next} -1 source)
  endif()
  math(EXPR line_number "${line_number} + 1")

  if(in_text)
    if(line STREQUAL ".")
      set(in_text FALSE)
      math(EXPR full "${id} + (${severity} << 30)" OUTPUT_FORMAT HEXADECIMAL)
      string(APPEND defines "#define ${name} ((DWORD)${full})\n")
      string(APPEND entries "      {${full}, \"${text}\"},\n")
      set(id "")
      set(name "")
      set(severity 0)
    else()
      string(REPLACE "\\" "\\\\" escaped "${line}")
      string(REPLACE "\"" "\\\"" escaped "${escaped}")
      string(APPEND text "${escaped}\\r\\n")
    endif()
  elseif(line MATCHES "^[ \t]*$" OR line MATCHES "^;" OR line MATCHES "^(MessageIdTypedef|LanguageNames)=")
  elseif(line MATCHES "^MessageId=([0-9]+)$")
    set(id "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^Severity=(Success|Informational|Warning|Error)$")
    set(severity ${severity_${CMAKE_MATCH_1}})
  elseif(line MATCHES "^SymbolicName=([A-Za-z0-9_]+)$")
    set(name "${CMAKE_MATCH_1}")
  elseif(line STREQUAL "Language=Japanese" AND NOT id STREQUAL "" AND NOT name STREQUAL "")
    set(in_text TRUE)
    set(text "")
  else()
    message(FATAL_ERROR "${INPUT}:${line_number}: not understood: ${line}")
  endif()
endwhile()

if(in_text OR entries STREQUAL "")
  message(FATAL_ERROR "${INPUT}: a message is not ended by \".\", or there is none")
endif()

file(WRITE "${HEADER}"
"// Generated from ${input_name} by cmake/message_table.cmake; do not edit.
// The ids of the tool's messages, as the compiled message table holds them.
#ifndef KV_EVENT_MESSAGES_H
#define KV_EVENT_MESSAGES_H

${defines}
#endif  // KV_EVENT_MESSAGES_H
")
if(DEFINED CPP)
  file(WRITE "${CPP}"
"// Generated from ${input_name} by cmake/message_table.cmake; do not edit.
#include \"${CPP_HEADER}\"

std::map<DWORD, std::string> ${FUNCTION}() {
  return {
${entries}  };
}
")
endif()
