# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 (i686): the product.
set(SETUP_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
