# Cross build for 64-bit Windows with Debian's g++-mingw-w64-x86-64: the same sources, for
# the end-to-end tests where only 64-bit Wine runs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
