# Windows: ZelfinControls.aex, a 64-bit DLL that exports the five entry points and carries the
# five property lists (type "PIPL", ids 16000 to 16004) and the manifest as resources. The x64
# file (MinGW-w64) names its entry points under `8664`, the ARM64 file (zig) under `wa64`.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
  set(resources ${ZELFIN_WINDOWS_ARM64_RESOURCES_DIR})
  include(${CMAKE_CURRENT_LIST_DIR}/Arm64Runtime.cmake)
else()
  set(resources ${ZELFIN_GENERATED_RESOURCES_DIR})
  # No link time in the header (nor in the checksum over it): two links of the same objects match.
  target_link_options(ZelfinControls PRIVATE "LINKER:--no-insert-timestamp")
endif()
set(ZELFIN_RESOURCE_SCRIPT ${resources}/ZelfinControls.rc)
target_sources(ZelfinControls PRIVATE ${ZELFIN_RESOURCE_SCRIPT})
# The script includes the generated lists by file name, from its own folder.
set_source_files_properties(${ZELFIN_RESOURCE_SCRIPT} PROPERTIES
  INCLUDE_DIRECTORIES ${resources})
set_target_properties(ZelfinControls PROPERTIES SUFFIX ".aex")
add_dependencies(ZelfinControls zelfin_generated_resources)
install(TARGETS ZelfinControls LIBRARY DESTINATION . COMPONENT plugin)

# Static checks of the x64 file with MinGW's objdump: exports, imports, and the compiled
# resources byte for byte. zelfin-pe-check (tools/pe-check) checks both files.
if(NOT CMAKE_OBJDUMP OR CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
  return()
endif()
foreach(check exports imports resources)
  zelfin_add_test(NAME windows_aex_${check}
    COMMAND ${CMAKE_COMMAND}
      -DCHECK=${check}
      -DAEX=$<TARGET_FILE:ZelfinControls>
      -DGENERATED=${ZELFIN_GENERATED_RESOURCES_DIR}
      -DOBJDUMP=${CMAKE_OBJDUMP}
      -P ${PROJECT_SOURCE_DIR}/cmake/CheckWindowsBinary.cmake)
endforeach()
