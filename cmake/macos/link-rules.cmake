# Bundles are linked by lld's Mach-O linker itself, not through the compiler driver, which would
# look for an SDK. Linker options therefore go without the driver's -Wl, prefix, and each slice
# names its architecture and minimum version among them (src/Mac/MacBundle.cmake).
set(CMAKE_CXX_CREATE_SHARED_MODULE
  "<CMAKE_LINKER> -bundle <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES>")
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
