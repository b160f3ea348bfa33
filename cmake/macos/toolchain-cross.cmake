# Cross build of the macOS bundle (ZelfinControls.plugin, one universal code file for Intel Macs
# from macOS 10.13 and Apple-silicon Macs from macOS 11) on Debian without Apple's SDK: clang
# compiles against libc++'s headers and the project's own declarations of the few C library
# functions in include/ here; lld's Mach-O linker links against the text stubs of the two system
# libraries here, which list exactly the symbols the plug-in may import, so an unexpected import
# fails the link. Nothing built here runs here.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The slices of the universal code file, which src/Mac/MacBundle.cmake builds one by one and
# joins. CMake itself (its compiler checks) is shown the first only: it would hand every
# architecture to the compiler at once.
set(ZELFIN_MACOS_ARCHITECTURES x86_64 arm64)
set(CMAKE_OSX_ARCHITECTURES x86_64 CACHE STRING "")
set(CMAKE_OSX_DEPLOYMENT_TARGET 10.13 CACHE STRING "")
set(CMAKE_OSX_SYSROOT "" CACHE PATH "")

set(CMAKE_CXX_COMPILER clang++-14)
# Each slice's -arch then picks its architecture.
set(CMAKE_CXX_COMPILER_TARGET x86_64-apple-macos10.13)
# lld 14 copies a malformed __eh_frame section; lld 16 does not.
set(CMAKE_LINKER ld64.lld-16)
set(CMAKE_AR llvm-ar-14)
set(CMAKE_RANLIB llvm-ranlib-14)
set(ZELFIN_LIPO llvm-lipo-14)

# No C library or SDK to link test programs against while CMake checks the compiler.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(ZELFIN_LIBCXX_INCLUDE_DIR /usr/lib/llvm-14/include/c++/v1)
# libc++'s wrappers include the next string.h, math.h and stdlib.h: the project's folder comes
# after libc++'s.
string(JOIN " " CMAKE_CXX_FLAGS_INIT -nostdinc++ -nostdlibinc
  -isystem ${ZELFIN_LIBCXX_INCLUDE_DIR} -isystem ${CMAKE_CURRENT_LIST_DIR}/include)

set(ZELFIN_MACOS_CROSS ON)
set(ZELFIN_MACOS_SYSTEM_STUBS
  ${CMAKE_CURRENT_LIST_DIR}/libSystem.B.tbd
  ${CMAKE_CURRENT_LIST_DIR}/libc++.1.tbd)
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/link-rules.cmake)
