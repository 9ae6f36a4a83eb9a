# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour, which
# gives std::thread and std::mutex). The libraries the core needs are looked for only in
# MinGW's own tree and in PERNARD_WINDOWS_DEPS, where scripts/build-windows.sh installs the ones
# it builds; programs (pkg-config, the code generators) are the build machine's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PERNARD_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PERNARD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PERNARD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PERNARD_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PERNARD_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PERNARD_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

if(NOT PERNARD_WINDOWS_DEPS AND DEFINED ENV{PERNARD_WINDOWS_DEPS})
  set(PERNARD_WINDOWS_DEPS $ENV{PERNARD_WINDOWS_DEPS})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PERNARD_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${PERNARD_MINGW_TRIPLE} ${PERNARD_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in, the compiler's own runtime too: the programs run without any DLL of ours.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run through Wine.
find_program(PERNARD_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PERNARD_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PERNARD_WINE})
endif()
