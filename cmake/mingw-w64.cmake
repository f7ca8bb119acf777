# Cross-building for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64), linked
# statically so the programs need no mingw DLLs at run time. scripts/windows-check uses it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GOALBOX_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX-threads variant, where there is one: its std::thread and std::mutex are complete.
# GoogleTest's project enables C as well.
find_program(CMAKE_CXX_COMPILER NAMES ${GOALBOX_MINGW_PREFIX}-g++-posix ${GOALBOX_MINGW_PREFIX}-g++
             REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${GOALBOX_MINGW_PREFIX}-gcc-posix ${GOALBOX_MINGW_PREFIX}-gcc
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${GOALBOX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GOALBOX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
