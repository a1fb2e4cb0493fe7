# Shared part of the two mingw-w64 toolchains. The posix thread model is
# needed for std::thread and GoogleTest with GCC 12.
set(CMAKE_C_COMPILER ${VESKARO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESKARO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VESKARO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VESKARO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Windows programs run under Wine here; tests go through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
