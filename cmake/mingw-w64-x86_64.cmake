# Cross toolchain for the Windows (x86-64) build: Debian's mingw-w64 with posix threads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELVO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELVO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# ctest and gtest_discover_tests run the .exe files through Wine.
find_program(KELVO_WINE NAMES wine wine64 PATHS /usr/bin /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KELVO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KELVO_WINE})
endif()
# No interprocedural register allocation: with it a caller keeps values in registers that its own
# copy of a template function leaves alone, but the linker keeps one copy of each such function
# for the whole program, maybe another object's that uses them. Qt's random generator crashed so,
# calling a test's copy of std::mt19937's refill. The toolkit is built with this file too.
set(CMAKE_C_FLAGS_INIT "-fno-ipa-ra")
set(CMAKE_CXX_FLAGS_INIT "-fno-ipa-ra")
