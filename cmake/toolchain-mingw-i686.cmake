# Cross-compile for 32-bit Windows with MinGW-w64: the terminal's build, which loads the maker's
# 32-bit libraries; run and tested under Wine's 32-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZPT_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
