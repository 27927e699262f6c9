# The MinGW-w64 cross build shared by both toolchain files, which set `triple` and the processor.
set(CMAKE_SYSTEM_NAME Windows)
# The win32 thread model needs no winpthread DLL, so the .exe stays self-contained.
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-win32 ${triple}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc-win32 ${triple}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${triple}-windres REQUIRED)
find_program(CMAKE_MC_COMPILER NAMES ${triple}-windmc REQUIRED)  # the event log's messages (cmake/Messages.cmake)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
