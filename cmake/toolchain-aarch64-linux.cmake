# The stand-in host and the suites built for Linux on arm64 (aarch64), run under qemu-aarch64:
# they load the arm64 slice of the macOS bundle as the x86_64 build loads the x86_64 one.
# Libraries come from the cross toolchain's folder and from Debian's arm64 packages installed
# beside this machine's own (multiarch: libcrypto and libplist in /usr/lib/aarch64-linux-gnu).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# The programs run against Debian's arm64 libraries beside this machine's own (libc6:arm64 and
# libstdc++6:arm64): with the cross toolchain's copy of the C library, qemu-aarch64 hangs a
# program that starts a thread.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config (which FindOpenSSL asks first) must see the arm64 packages, not this machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
