# The ARM64 plug-in's runtime: zig links its C++ runtime in statically, and two of its parts need
# replacing in a plug-in that the host may unload. The plug-in links this library first, so the
# linker takes these definitions and no member of zig's copies; both are built from zig's own
# sources of the same version, with zig's flags but for the one setting each changes.
#
# - The unwinder declares its functions dllexport, and a DLL exports every such function it
#   links: the plug-in would export some 25 unwinder functions beside its five entry points.
#   Built with its export annotations off, it exports none.
# - The storage of the exceptions being handled is a fiber-local slot whose destructor is
#   plug-in code: once a plug-in that has thrown is unloaded, the thread's exit calls into
#   unmapped memory and the host crashes. As a thread_local of plain data it needs no destructor.
set(zig_lib ${ZELFIN_ZIG_LIB_DIR})
set(unwind ${zig_lib}/libunwind/src)
set(cxxabi ${zig_lib}/libcxxabi/src)
if(NOT EXISTS ${unwind}/libunwind.cpp OR NOT EXISTS ${cxxabi}/cxa_exception_storage.cpp)
  message(FATAL_ERROR "no runtime sources under ${zig_lib}")
endif()
enable_language(C ASM)
set(unwinder_sources
  ${unwind}/libunwind.cpp ${unwind}/Unwind-seh.cpp ${unwind}/Unwind-EHABI.cpp
  ${unwind}/UnwindLevel1.c ${unwind}/UnwindLevel1-gcc-ext.c ${unwind}/Unwind-sjlj.c
  ${unwind}/gcc_personality_v0.c ${unwind}/UnwindRegistersRestore.S
  ${unwind}/UnwindRegistersSave.S)
add_library(zelfin_arm64_runtime STATIC ${unwinder_sources} ${cxxabi}/cxa_exception_storage.cpp)
set_source_files_properties(${unwinder_sources} PROPERTIES
  INCLUDE_DIRECTORIES ${zig_lib}/libunwind/include
  COMPILE_DEFINITIONS "_LIBUNWIND_HIDE_SYMBOLS;_LIBUNWIND_IS_NATIVE_ONLY")
set_source_files_properties(${cxxabi}/cxa_exception_storage.cpp PROPERTIES
  INCLUDE_DIRECTORIES "${zig_lib}/libcxxabi/include;${cxxabi}"
  COMPILE_DEFINITIONS
    "HAS_THREAD_LOCAL;_LIBCXXABI_BUILDING_LIBRARY;_LIBCPP_ENABLE_CXX17_REMOVED_UNEXPECTED_FUNCTIONS")
target_compile_options(zelfin_arm64_runtime PRIVATE -funwind-tables -fvisibility=hidden
  -w $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti -fno-exceptions>)
set_target_properties(zelfin_arm64_runtime PROPERTIES C_STANDARD 99 CXX_STANDARD 17)

target_link_libraries(ZelfinControls PRIVATE zelfin_arm64_runtime)
# zig's linker writes the link time into the header and takes no option against it: clear it, so
# that two links of the same objects match, as the x64 file's do.
add_custom_command(TARGET ZelfinControls POST_BUILD
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/clear-pe-timestamp.sh $<TARGET_FILE:ZelfinControls>
  VERBATIM)
