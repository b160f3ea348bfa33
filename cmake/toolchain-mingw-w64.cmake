# Cross build of the Windows plug-in (ZelfinControls.aex) and its test programs with MinGW-w64.
# The test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELFIN_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model's library lacks.
set(CMAKE_C_COMPILER ${ZELFIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELFIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELFIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELFIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libgcc, libstdc++, winpthread) linked in, so that every binary imports
# only DLLs that ship with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
# The static runtime brings its debugging sections along; the released plug-in goes without.
set(CMAKE_MODULE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs run under Wine in a prefix of the build's own, quietly. The prefix is created
# without offering to install Mono or Gecko: nothing here needs them, and there may be no display
# to ask on.
set(ZELFIN_WINE_ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all)
set(ZELFIN_WINE_PREFIX_OVERRIDES WINEDLLOVERRIDES=mscoree,mshtml=)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${ZELFIN_WINE_ENVIRONMENT} sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
