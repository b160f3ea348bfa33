# The ARM64 plug-in's runtime. zig links its C++ runtime in statically, but its unwinder declares
# its functions dllexport, and a DLL exports every such function it links: the plug-in would
# export some 25 unwinder functions beside its five entry points. So the plug-in links an
# unwinder of its own, built from zig's sources of the same version with the export annotations
# off; the linker then takes no member of zig's copy. Nothing else changes: the functions, the
# flags and the SEH personality are zig's.
set(unwind ${ZELFIN_ZIG_LIB_DIR}/libunwind)
if(NOT EXISTS ${unwind}/src/libunwind.cpp)
  message(FATAL_ERROR "no unwinder sources under ${unwind}")
endif()
enable_language(C ASM)
add_library(zelfin_arm64_unwinder STATIC
  ${unwind}/src/libunwind.cpp ${unwind}/src/Unwind-seh.cpp ${unwind}/src/Unwind-EHABI.cpp
  ${unwind}/src/UnwindLevel1.c ${unwind}/src/UnwindLevel1-gcc-ext.c ${unwind}/src/Unwind-sjlj.c
  ${unwind}/src/gcc_personality_v0.c
  ${unwind}/src/UnwindRegistersRestore.S ${unwind}/src/UnwindRegistersSave.S)
target_include_directories(zelfin_arm64_unwinder PRIVATE ${unwind}/include)
target_compile_definitions(zelfin_arm64_unwinder PRIVATE _LIBUNWIND_HIDE_SYMBOLS
  _LIBUNWIND_IS_NATIVE_ONLY)
target_compile_options(zelfin_arm64_unwinder PRIVATE -funwind-tables -fvisibility=hidden
  -w $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti -fno-exceptions>)
set_target_properties(zelfin_arm64_unwinder PROPERTIES C_STANDARD 99 CXX_STANDARD 17)

target_link_libraries(ZelfinControls PRIVATE zelfin_arm64_unwinder)
# zig's linker writes the link time into the header and takes no option against it: clear it, so
# that two links of the same objects match, as the x64 file's do.
add_custom_command(TARGET ZelfinControls POST_BUILD
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/clear-pe-timestamp.sh $<TARGET_FILE:ZelfinControls>
  VERBATIM)
