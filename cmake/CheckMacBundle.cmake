# Static checks of the macOS bundle, which cannot run here. One check per CTest test:
#   cmake -DCHECK=<name> -DBUNDLE=<.../ZelfinControls.plugin> -DGENERATED=<generated resources>
#         -DOBJDUMP=<llvm-objdump> -DNM=<llvm-nm> -P CheckMacBundle.cmake
# Checks: header, signature, exports, libraries, imports, unwind, files. Every check of the code
# file's contents checks each of its two slices.
cmake_minimum_required(VERSION 3.25)

set(code "${BUNDLE}/Contents/MacOS/ZelfinControls")
set(entry_points
  _EntryPointFunc_2d _EntryPointFunc_3d _EntryPointFunc_bezier _EntryPointFunc_camera
  _EntryPointFunc_light)
# The slices of the universal code file: architecture, its name in the Mach header and the
# oldest macOS it runs on (11.0 is the first for arm64).
set(slices x86_64 arm64)
set(header_name_x86_64 X86_64)
set(header_name_arm64 ARM64)
set(minimum_x86_64 10.13)
set(minimum_arm64 11.0)

function(run out)
  execute_process(COMMAND ${ARGN}
    OUTPUT_VARIABLE output ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${status}): ${error}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

function(lines out text)
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

if(NOT EXISTS "${code}")
  fail("no code file at ${code}")
endif()

if(CHECK STREQUAL "header")
  # A universal file of exactly an x86_64 and an arm64 slice, each a 64-bit bundle for its
  # oldest macOS.
  run(universal ${OBJDUMP} --macho --universal-headers "${code}")
  string(REGEX MATCHALL "\narchitecture [^\n]+" architectures "${universal}")
  list(TRANSFORM architectures REPLACE "\narchitecture " "")
  if(NOT universal MATCHES "fat_magic FAT_MAGIC\n" OR NOT architectures STREQUAL slices)
    fail("not a universal file of [${slices}] but of [${architectures}]:\n${universal}")
  endif()
  foreach(arch IN LISTS slices)
    run(header ${OBJDUMP} --macho --private-header --arch=${arch} "${code}")
    if(NOT header MATCHES "MH_MAGIC_64 +${header_name_${arch}} +ALL +[x0-9]+ +BUNDLE ")
      fail("the ${arch} slice is not a 64-bit ${arch} bundle:\n${header}")
    endif()
    run(commands ${OBJDUMP} --macho --private-headers --arch=${arch} "${code}")
    string(REPLACE "." "\\." minimum "${minimum_${arch}}")
    if(NOT commands MATCHES "cmd LC_VERSION_MIN_MACOSX\n[^\n]*\n +version ${minimum}\n"
       AND NOT commands MATCHES
         "cmd LC_BUILD_VERSION\n[^\n]*\n +platform (macos|1)\n +sdk [^\n]+\n +minos ${minimum}\n")
      fail("the minimum macOS version of the ${arch} slice is not ${minimum_${arch}}")
    endif()
  endforeach()

elseif(CHECK STREQUAL "signature")
  # Each slice carries a code signature (macOS runs no arm64 code without one).
  foreach(arch IN LISTS slices)
    run(commands ${OBJDUMP} --macho --private-headers --arch=${arch} "${code}")
    if(NOT commands MATCHES
       "cmd LC_CODE_SIGNATURE\n +cmdsize 16\n +dataoff [1-9][0-9]*\n +datasize [1-9]")
      fail("the ${arch} slice carries no code signature")
    endif()
  endforeach()

elseif(CHECK STREQUAL "exports")
  # Exactly the five entry points.
  foreach(arch IN LISTS slices)
    run(defined ${NM} --extern-only --defined-only --just-symbol-name --arch=${arch} "${code}")
    lines(exported "${defined}")
    list(SORT exported)
    if(NOT exported STREQUAL entry_points)
      fail("the ${arch} slice exports [${exported}], expected [${entry_points}]")
    endif()
  endforeach()

elseif(CHECK STREQUAL "libraries")
  # Only the two system libraries.
  foreach(arch IN LISTS slices)
    run(used ${OBJDUMP} --macho --dylibs-used --arch=${arch} "${code}")
    lines(used "${used}")
    list(POP_FRONT used)  # the file name
    set(libraries "")
    foreach(line IN LISTS used)
      string(REGEX REPLACE "^[ \t]*([^ ]+) \\(.*$" "\\1" library "${line}")
      list(APPEND libraries "${library}")
    endforeach()
    list(SORT libraries)
    if(NOT libraries STREQUAL "/usr/lib/libSystem.B.dylib;/usr/lib/libc++.1.dylib")
      fail("the ${arch} slice links [${libraries}]")
    endif()
  endforeach()

elseif(CHECK STREQUAL "imports")
  # Every undefined symbol is bound to one of the two libraries; none is looked up flat.
  foreach(arch IN LISTS slices)
    run(undefined ${NM} --undefined-only -m --arch=${arch} "${code}")
    lines(undefined "${undefined}")
    foreach(line IN LISTS undefined)
      if(NOT line MATCHES
         "\\(undefined\\) (weak )?external [^ ]+ \\(from (libSystem|libc\\+\\+)\\)$")
        fail("import of the ${arch} slice outside the system libraries: ${line}")
      endif()
    endforeach()
  endforeach()

elseif(CHECK STREQUAL "unwind")
  # Exception tables, so a thrown error code can be caught before it reaches the host.
  foreach(arch IN LISTS slices)
    run(sections ${OBJDUMP} --macho --section-headers --arch=${arch} "${code}")
    foreach(section __unwind_info __gcc_except_tab)
      if(NOT sections MATCHES " ${section} ")
        fail("the ${arch} slice has no ${section} section:\n${sections}")
      endif()
    endforeach()
  endforeach()

elseif(CHECK STREQUAL "files")
  # The five files of the bundle: the code, its seal, and three as generated.
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${BUNDLE}" "${BUNDLE}/*")
  list(SORT files)
  set(expected_files
    Contents/Info.plist Contents/MacOS/ZelfinControls Contents/PkgInfo
    Contents/Resources/ZelfinControls.rsrc Contents/_CodeSignature/CodeResources)
  if(NOT files STREQUAL expected_files)
    fail("bundle holds [${files}], expected [${expected_files}]")
  endif()
  foreach(pair "Info.plist;Contents/Info.plist" "PkgInfo;Contents/PkgInfo"
               "ZelfinControls.rsrc;Contents/Resources/ZelfinControls.rsrc")
    list(GET pair 0 generated)
    list(GET pair 1 bundled)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
      "${GENERATED}/${generated}" "${BUNDLE}/${bundled}" RESULT_VARIABLE different)
    if(different)
      fail("${bundled} differs from the generated ${generated}")
    endif()
  endforeach()
  file(READ "${BUNDLE}/Contents/PkgInfo" pkginfo)
  if(NOT pkginfo STREQUAL "eFKTFXTC")
    fail("PkgInfo is '${pkginfo}'")
  endif()
  file(READ "${BUNDLE}/Contents/Info.plist" plist)
  foreach(entry "CFBundleExecutable;ZelfinControls" "CFBundlePackageType;eFKT"
                "CFBundleSignature;FXTC" "CFBundleShortVersionString;1.1.0")
    list(GET entry 0 key)
    list(GET entry 1 value)
    if(NOT plist MATCHES "<key>${key}</key>[ \t\n]*<string>${value}</string>")
      fail("Info.plist lacks ${key} = ${value}")
    endif()
  endforeach()

else()
  fail("unknown check '${CHECK}'")
endif()
