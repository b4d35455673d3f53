# Windows through mingw-w64: 32-bit (i686) for the product, or 64-bit (x86_64,
# QUENZ_MINGW_ARCH) for testing the same code under a Wine that cannot run
# 32-bit programs. The posix thread model is the one with std::mutex.
set (CMAKE_SYSTEM_NAME Windows)

if (NOT QUENZ_MINGW_ARCH)
    set (QUENZ_MINGW_ARCH i686)
endif()

list (APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUENZ_MINGW_ARCH)
set (CMAKE_SYSTEM_PROCESSOR ${QUENZ_MINGW_ARCH})

set (CMAKE_C_COMPILER ${QUENZ_MINGW_ARCH}-w64-mingw32-gcc-posix)
set (CMAKE_CXX_COMPILER ${QUENZ_MINGW_ARCH}-w64-mingw32-g++-posix)
set (CMAKE_RC_COMPILER ${QUENZ_MINGW_ARCH}-w64-mingw32-windres)

set (CMAKE_FIND_ROOT_PATH /usr/${QUENZ_MINGW_ARCH}-w64-mingw32)
set (CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set (CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set (CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
