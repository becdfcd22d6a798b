# Shared part of the mingw-w64 toolchain files; VCX_TRIPLE names the target.
set(CMAKE_C_COMPILER ${VCX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VCX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VCX_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VCX_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${VCX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Programs built here run under Wine; ctest starts them through it. 32-bit
# programs run through scripts/wine-i686.sh (Wine's 32-bit half under qemu-user).
if(VCX_TRIPLE STREQUAL "i686-w64-mingw32")
    set(VCX_WINE ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-i686.sh)
else()
    find_program(VCX_WINE NAMES wine)
endif()
if(VCX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VCX_WINE})
endif()
