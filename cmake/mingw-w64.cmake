# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads
# flavour, which std::thread and GoogleTest need). Programs link statically,
# so each .exe imports only DLLs that every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZORVETH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZORVETH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORVETH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORVETH_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZORVETH_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZORVETH_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_STRIP ${ZORVETH_MINGW_PREFIX}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${ZORVETH_MINGW_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ZORVETH_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 reports impossible overlaps in inlined std::string concatenation
# at -O2/-O3 (GCC bug 105329); with warnings as errors that would fail
# correct code.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# No libstdc++/libgcc/winpthread DLLs beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Shipped Release programs carry no symbols (a static C++ program is about
# 2.4 MB with them, under 1 MB without).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs run under Wine, in a prefix inside the build tree; this also
# covers GoogleTest's discovery of the test names.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine-run)

# Debian's libgtest is built for Linux; the Windows build compiles GoogleTest
# from the source package instead (see gtest-from-source/GTestConfig.cmake).
set(GTest_DIR ${CMAKE_CURRENT_LIST_DIR}/gtest-from-source CACHE PATH "")
