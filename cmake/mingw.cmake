# Cross build for Windows with Debian's MinGW-w64, in its win32 thread model,
# for the processor that the including toolchain file names in
# TOOLCHAIN_PREFIX. The posix model links winpthread into every program, and
# its waits import GetTickCount64 (Windows Vista), so Windows XP would refuse
# to start the program. No Windows code of the project uses std::thread: the
# tool makes its worker with CreateThread.
set(CMAKE_SYSTEM_NAME Windows)

# A build tree keeps the compiler it was first configured with.
if("$CACHE{CMAKE_CXX_COMPILER}" MATCHES "posix")
  message(FATAL_ERROR "This build tree uses the posix thread model, whose programs do not start on "
                      "Windows XP. Configure it afresh: cmake --fresh --preset <preset>")
endif()
find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc-win32 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++-win32 REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOOLCHAIN_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
