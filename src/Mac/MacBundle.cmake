# macOS: ZelfinControls.plugin, a bundle whose code exports the five entry points and whose
# resource file carries the five property lists. The code file is universal, an x86_64 and an
# arm64 slice, each signed ad hoc by the linker: macOS runs no arm64 code without a signature.
# Once everything in the bundle is final, the bundle is signed as a whole, ad hoc, as current
# hosts require: the seal of its resources, and a signature in each slice that binds Info.plist
# and the seal. Nothing may touch the bundle after that.
#
# On a Mac the native toolchain builds the universal file (CMAKE_OSX_ARCHITECTURES) as one
# target, ZelfinControls. The cross build's linker handles one architecture at a time: each slice
# of ZELFIN_MACOS_ARCHITECTURES is a module of its own, zelfin_code_<arch> in <build>/src/<arch>/,
# and the target ZelfinControls joins the slices into the bundle with lipo.

# zelfin_link_macos_code(TARGET): the link options of every code file the bundle is made of.
function(zelfin_link_macos_code target)
  add_dependencies(${target} zelfin_generated_resources)
  target_link_options(${target} PRIVATE
    "LINKER:-exported_symbols_list,${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.exp"
    "LINKER:-dead_strip"
    "LINKER:-adhoc_codesign")
  set_property(TARGET ${target} APPEND PROPERTY
    LINK_DEPENDS ${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.exp)
endfunction()

if(ZELFIN_MACOS_CROSS)
  set(ZELFIN_BUNDLE_DIR ${CMAKE_CURRENT_BINARY_DIR}/ZelfinControls.plugin)
  set(code_file ${ZELFIN_BUNDLE_DIR}/Contents/MacOS/ZelfinControls)
  set(slice_targets "")
  foreach(arch IN LISTS ZELFIN_MACOS_ARCHITECTURES)
    # The compiler raises an arm64 slice's minimum to macOS 11, the first release for arm64; the
    # linker, called directly, must be told the same.
    set(minimum ${CMAKE_OSX_DEPLOYMENT_TARGET})
    if(arch STREQUAL "arm64" AND minimum VERSION_LESS 11.0)
      set(minimum 11.0)
    endif()
    zelfin_add_plugin_objects(zelfin_plugin_objects_${arch})
    add_library(zelfin_code_${arch} MODULE $<TARGET_OBJECTS:zelfin_plugin_objects_${arch}>)
    set_target_properties(zelfin_plugin_objects_${arch} zelfin_code_${arch} PROPERTIES
      OSX_ARCHITECTURES ${arch})
    # Named as the bundle's code file: the linker signs each slice under its file's name.
    set_target_properties(zelfin_code_${arch} PROPERTIES
      PREFIX ""
      SUFFIX ""
      OUTPUT_NAME ZelfinControls
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${arch})
    target_link_options(zelfin_code_${arch} PRIVATE
      "SHELL:-arch ${arch} -platform_version macos ${minimum} ${minimum}")
    zelfin_link_macos_code(zelfin_code_${arch})
    # Only the symbols listed in the stubs can be imported.
    target_link_libraries(zelfin_code_${arch} PRIVATE ${ZELFIN_MACOS_SYSTEM_STUBS})
    list(APPEND slice_targets zelfin_code_${arch})
  endforeach()
  list(TRANSFORM slice_targets REPLACE "(.+)" "$<TARGET_FILE:\\1>" OUTPUT_VARIABLE slice_files)
  # lipo copies each slice, its signature included, byte for byte.
  add_custom_command(OUTPUT ${code_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELFIN_BUNDLE_DIR}/Contents/MacOS
    COMMAND ${ZELFIN_LIPO} -create ${slice_files} -output ${code_file}
    DEPENDS ${slice_targets}
    COMMENT "Joining the slices into the universal code file"
    VERBATIM)
  add_custom_target(ZelfinControls ALL DEPENDS ${code_file})
  install(DIRECTORY ${ZELFIN_BUNDLE_DIR} DESTINATION . USE_SOURCE_PERMISSIONS COMPONENT plugin)
else()
  set_target_properties(ZelfinControls PROPERTIES
    BUNDLE TRUE
    BUNDLE_EXTENSION plugin
    SUFFIX "")
  zelfin_link_macos_code(ZelfinControls)
  set(ZELFIN_BUNDLE_DIR $<TARGET_BUNDLE_DIR:ZelfinControls>)
  set(code_file $<TARGET_FILE:ZelfinControls>)
  install(TARGETS ZelfinControls LIBRARY DESTINATION . COMPONENT plugin)
endif()

# The generated Info.plist replaces the one CMake writes into a bundle target when it generates
# the build (so on every build, not only after a link); PkgInfo and the resource file join it.
set(bundle_contents ${ZELFIN_BUNDLE_DIR}/Contents)
add_custom_target(zelfin_bundle_files ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle_contents}/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${ZELFIN_GENERATED_RESOURCES_DIR}/Info.plist
    ${ZELFIN_GENERATED_RESOURCES_DIR}/PkgInfo
    ${bundle_contents}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.rsrc
    ${bundle_contents}/Resources
  COMMENT "Copying Info.plist, PkgInfo and the resource file into the bundle"
  VERBATIM)
add_dependencies(zelfin_bundle_files ZelfinControls zelfin_generated_resources)

# The signature as a whole, last. The signer writes the code file before the seal, so the seal
# is the newest file and a build with nothing changed signs nothing again.
set(bundle_seal ${bundle_contents}/_CodeSignature/CodeResources)
set(bundle_inputs
  ${ZELFIN_GENERATED_RESOURCES_DIR}/Info.plist
  ${ZELFIN_GENERATED_RESOURCES_DIR}/PkgInfo
  ${ZELFIN_GENERATED_RESOURCES_DIR}/ZelfinControls.rsrc)
if(ZELFIN_MACOS_CROSS)
  # The project's own signer, built for the build machine as the resource generator is.
  include(ExternalProject)
  set(signer_dir ${CMAKE_CURRENT_BINARY_DIR}/codesign-build-machine)
  set(signer ${signer_dir}/zelfin-codesign${CMAKE_HOST_EXECUTABLE_SUFFIX})
  ExternalProject_Add(zelfin_codesign_build_machine
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/codesign
    BINARY_DIR ${signer_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target zelfin-codesign
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE
    BUILD_BYPRODUCTS ${signer})
  set(sign_command ${signer} ${ZELFIN_BUNDLE_DIR})
  set(sign_depends zelfin_codesign_build_machine ${signer})
else()
  find_program(ZELFIN_CODESIGN codesign REQUIRED)
  set(sign_command ${ZELFIN_CODESIGN} --force --sign - ${ZELFIN_BUNDLE_DIR})
  set(sign_depends "")
endif()
add_custom_command(OUTPUT ${bundle_seal}
  COMMAND ${sign_command}
  DEPENDS ${code_file} ${bundle_inputs} ${sign_depends}
  COMMENT "Signing the bundle as a whole, ad hoc"
  VERBATIM)
add_custom_target(zelfin_bundle_signature ALL DEPENDS ${bundle_seal})
add_dependencies(zelfin_bundle_signature zelfin_bundle_files)

# Static checks of the bundle with LLVM's tools, where they are installed (always in the cross
# build, which cannot run what it builds).
find_program(ZELFIN_LLVM_OBJDUMP NAMES llvm-objdump-14 llvm-objdump)
find_program(ZELFIN_LLVM_NM NAMES llvm-nm-14 llvm-nm)
if(ZELFIN_LLVM_OBJDUMP AND ZELFIN_LLVM_NM)
  foreach(check header signature exports libraries imports unwind files)
    zelfin_add_test(NAME macos_bundle_${check}
      COMMAND ${CMAKE_COMMAND}
        -DCHECK=${check}
        -DBUNDLE=${ZELFIN_BUNDLE_DIR}
        -DGENERATED=${ZELFIN_GENERATED_RESOURCES_DIR}
        -DOBJDUMP=${ZELFIN_LLVM_OBJDUMP}
        -DNM=${ZELFIN_LLVM_NM}
        -P ${PROJECT_SOURCE_DIR}/cmake/CheckMacBundle.cmake)
    set_tests_properties(macos_bundle_${check} PROPERTIES TIMEOUT 60)
  endforeach()
elseif(ZELFIN_MACOS_CROSS)
  message(FATAL_ERROR "llvm-objdump and llvm-nm are needed to check the cross-built bundle")
endif()
