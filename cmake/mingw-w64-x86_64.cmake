# Cross build for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# gives asm-zqs.exe and libasm_zqs.a. flex and bison run on the build host.
# Everything is linked statically, so the program needs no MinGW DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ASM_ZQS_MINGW x86_64-w64-mingw32)
# The posix thread model: its C++ runtime has std::mutex and std::condition_variable,
# which GoogleTest needs; its pthread library is linked in statically.
find_program(CMAKE_C_COMPILER NAMES ${ASM_ZQS_MINGW}-gcc-posix ${ASM_ZQS_MINGW}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ASM_ZQS_MINGW}-g++-posix ${ASM_ZQS_MINGW}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ASM_ZQS_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ASM_ZQS_MINGW})
# Programs (flex, bison) from the host; libraries, headers and packages only from the
# target, never the host's. A GoogleTest built for MinGW elsewhere is named with
# -DGTest_DIR=<its prefix>/lib/cmake/GTest.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The test binary cannot run on the build host: list its tests when ctest runs
# (under an emulator), not right after linking.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
