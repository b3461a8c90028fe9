# The same sources for 64-bit Windows. Never shipped: this build runs the
# Wine stage on machines whose kernel runs no 32-bit code, under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
