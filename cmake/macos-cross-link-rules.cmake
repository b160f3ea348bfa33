# Bundles are linked by lld's Mach-O linker itself, not through the compiler driver, which would
# look for an SDK. Linker options therefore go without the driver's -Wl, prefix.
set(CMAKE_CXX_CREATE_SHARED_MODULE
  "<CMAKE_LINKER> -arch x86_64 -platform_version macos ${CMAKE_OSX_DEPLOYMENT_TARGET} ${CMAKE_OSX_DEPLOYMENT_TARGET} -bundle <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES>")
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
