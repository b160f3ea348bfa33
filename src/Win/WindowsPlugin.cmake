# Windows: ZelfinControls.aex, a 64-bit DLL that exports the five entry points and carries the
# five property lists (type "PIPL", ids 16000 to 16004) and the manifest as resources.
set(ZELFIN_RESOURCE_SCRIPT ${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.rc)
target_sources(ZelfinControls PRIVATE ${ZELFIN_RESOURCE_SCRIPT})
# The script includes the generated lists by file name, from its own folder.
set_source_files_properties(${ZELFIN_RESOURCE_SCRIPT} PROPERTIES
  INCLUDE_DIRECTORIES ${ZELFIN_GENERATED_RESOURCES_DIR})
set_target_properties(ZelfinControls PROPERTIES SUFFIX ".aex")
# No link time in the header (nor in the checksum over it): two links of the same objects match.
target_link_options(ZelfinControls PRIVATE "LINKER:--no-insert-timestamp")
add_dependencies(ZelfinControls zelfin_generated_resources)
install(TARGETS ZelfinControls LIBRARY DESTINATION . COMPONENT plugin)

# Static checks of the built file: exports, imports, and the compiled resources byte for byte.
if(NOT CMAKE_OBJDUMP)
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
