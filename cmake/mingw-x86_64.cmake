# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (x86_64): the same sources, for
# testing under 64-bit Wine on machines that cannot execute 32-bit programs.
set(SETUP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
