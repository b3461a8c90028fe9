# Reports the size of the built program against its goal, after each link.
#
#   cmake -DPROGRAM=KV_UPDAT.EXE -DGOAL_KB=300 -P report_size.cmake
cmake_policy(VERSION 3.20)
file(SIZE "${PROGRAM}" bytes)
math(EXPR kilobytes "(${bytes} + 1023) / 1024")
get_filename_component(name "${PROGRAM}" NAME)
if(kilobytes GREATER GOAL_KB)
  message("${name}: ${bytes} bytes (${kilobytes} KB), over the goal of ${GOAL_KB} KB")
else()
  message("${name}: ${bytes} bytes (${kilobytes} KB; goal ${GOAL_KB} KB)")
endif()
