# Binaries that depend only on the sources: the folders of the source tree and of the build do not
# appear in them (file names the compiler records go in relative), whatever folder they are built
# in. The Windows file's link time is left out where the plug-in is linked (src/Win).
if(NOT MSVC)
  add_compile_options(
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/="
    "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
endif()
