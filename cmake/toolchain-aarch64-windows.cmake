# Cross build of the Windows-on-Arm plug-in (an ARM64 ZelfinControls.aex) and its test programs
# with zig's clang for aarch64-windows-gnu, which carries its own MinGW-w64 runtime and C++
# library. The test programs run under Debian's arm64 Wine through qemu-aarch64.
#
# Two folders come from scripts/lib.sh (zelfin_ensure_zig, scripts/wine-arm64.sh), through the
# environment at the first configure, kept in the cache after:
#   ZELFIN_ZIG             the zig program of the pinned version
#   ZELFIN_WINE_ARM64_BIN  the folder of the arm64 wine, wineserver and wineboot, first on the
#                          test programs' PATH
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)

set(ZELFIN_ZIG "$ENV{ZELFIN_ZIG}" CACHE FILEPATH "zig, which compiles for aarch64-windows-gnu")
set(ZELFIN_WINE_ARM64_BIN "$ENV{ZELFIN_WINE_ARM64_BIN}" CACHE PATH
  "Folder of the arm64 Wine programs, run under qemu-aarch64")
if(NOT EXISTS "${ZELFIN_ZIG}")
  message(FATAL_ERROR "ZELFIN_ZIG names no zig ('${ZELFIN_ZIG}'): bash scripts/build-windows-arm64.sh "
    "installs the pinned one and sets it")
endif()

# CMake takes one program per tool: small scripts in the build folder run zig's.
set(ZELFIN_ZIG_TARGET aarch64-windows-gnu)
set(wrappers ${CMAKE_BINARY_DIR}/zig-tools)
file(MAKE_DIRECTORY ${wrappers})
foreach(tool cc c++ ar ranlib)
  file(WRITE ${wrappers}/${tool}.in "#!/bin/sh\n")
  if(tool MATCHES "^c")
    file(APPEND ${wrappers}/${tool}.in "exec \"${ZELFIN_ZIG}\" ${tool} -target ${ZELFIN_ZIG_TARGET} \"$@\"\n")
  else()
    file(APPEND ${wrappers}/${tool}.in "exec \"${ZELFIN_ZIG}\" ${tool} \"$@\"\n")
  endif()
  file(COPY_FILE ${wrappers}/${tool}.in ${wrappers}/zig-${tool} ONLY_IF_DIFFERENT)
  file(CHMOD ${wrappers}/zig-${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${wrappers}/zig-cc)
set(CMAKE_CXX_COMPILER ${wrappers}/zig-c++)
set(CMAKE_AR ${wrappers}/zig-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${wrappers}/zig-ranlib CACHE FILEPATH "")
# LLVM's windres takes its target from its name's prefix.
file(CREATE_LINK /usr/bin/llvm-windres-14 ${wrappers}/aarch64-w64-mingw32-windres SYMBOLIC)
set(CMAKE_RC_COMPILER ${wrappers}/aarch64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zig links its C++ runtime in statically: every binary imports only DLLs that ship with Windows.
# zig builds that runtime once per optimisation level into its own cache; CMake's links repeat the
# compile flags, so both use one. The released plug-in goes without symbols or debugging sections.
set(CMAKE_MODULE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs run under the arm64 Wine in a prefix of the build's own, as the x64 build's do.
set(ZELFIN_WINE_ENVIRONMENT PATH=${ZELFIN_WINE_ARM64_BIN}:$ENV{PATH}
  WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all)
set(ZELFIN_WINE_PREFIX_OVERRIDES WINEDLLOVERRIDES=mscoree,mshtml=)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${ZELFIN_WINE_ENVIRONMENT} sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

# zig's own sources of its runtime (the plug-in builds its unwinder from them: src/Win).
execute_process(COMMAND ${ZELFIN_ZIG} env OUTPUT_VARIABLE zig_env RESULT_VARIABLE zig_status)
if(NOT zig_status EQUAL 0)
  message(FATAL_ERROR "${ZELFIN_ZIG} env failed (${zig_status})")
endif()
string(JSON ZELFIN_ZIG_LIB_DIR GET "${zig_env}" lib_dir)
