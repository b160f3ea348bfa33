# macOS: ZelfinControls.plugin, a bundle whose code exports the five entry points and whose
# resource file carries the five property lists.
set_target_properties(ZelfinControls PROPERTIES
  BUNDLE TRUE
  BUNDLE_EXTENSION plugin
  SUFFIX "")
add_dependencies(ZelfinControls zelfin_generated_resources)
target_link_options(ZelfinControls PRIVATE
  "LINKER:-exported_symbols_list,${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.exp"
  "LINKER:-dead_strip")
set_property(TARGET ZelfinControls APPEND PROPERTY
  LINK_DEPENDS ${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.exp)
if(ZELFIN_MACOS_CROSS)
  # Only the symbols listed in the stubs can be imported.
  target_link_libraries(ZelfinControls PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/Mac/libSystem.B.tbd
    ${CMAKE_CURRENT_SOURCE_DIR}/Mac/libc++.1.tbd)
endif()

# The generated Info.plist replaces the one CMake writes into the bundle when it generates the
# build (so on every build, not only after a link); PkgInfo and the resource file join it.
set(ZELFIN_BUNDLE_CONTENTS $<TARGET_BUNDLE_CONTENT_DIR:ZelfinControls>)
add_custom_target(zelfin_bundle_files ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELFIN_BUNDLE_CONTENTS}/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${ZELFIN_GENERATED_RESOURCES_DIR}/Info.plist
    ${ZELFIN_GENERATED_RESOURCES_DIR}/PkgInfo
    ${ZELFIN_BUNDLE_CONTENTS}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.rsrc
    ${ZELFIN_BUNDLE_CONTENTS}/Resources
  COMMENT "Copying Info.plist, PkgInfo and the resource file into the bundle"
  VERBATIM)
add_dependencies(zelfin_bundle_files ZelfinControls zelfin_generated_resources)
install(TARGETS ZelfinControls LIBRARY DESTINATION . COMPONENT plugin)

# Static checks of the bundle with LLVM's tools, where they are installed (always in the cross
# build, which cannot run what it builds).
find_program(ZELFIN_LLVM_OBJDUMP NAMES llvm-objdump-14 llvm-objdump)
find_program(ZELFIN_LLVM_NM NAMES llvm-nm-14 llvm-nm)
if(ZELFIN_LLVM_OBJDUMP AND ZELFIN_LLVM_NM)
  foreach(check header exports libraries imports unwind files)
    zelfin_add_test(NAME macos_bundle_${check}
      COMMAND ${CMAKE_COMMAND}
        -DCHECK=${check}
        -DBUNDLE=$<TARGET_BUNDLE_DIR:ZelfinControls>
        -DGENERATED=${ZELFIN_GENERATED_RESOURCES_DIR}
        -DOBJDUMP=${ZELFIN_LLVM_OBJDUMP}
        -DNM=${ZELFIN_LLVM_NM}
        -P ${PROJECT_SOURCE_DIR}/cmake/CheckMacBundle.cmake)
  endforeach()
elseif(ZELFIN_MACOS_CROSS)
  message(FATAL_ERROR "llvm-objdump and llvm-nm are needed to check the cross-built bundle")
endif()
