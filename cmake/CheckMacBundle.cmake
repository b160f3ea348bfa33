# Static checks of the macOS bundle, which cannot run here. One check per CTest test:
#   cmake -DCHECK=<name> -DBUNDLE=<.../ZelfinControls.plugin> -DGENERATED=<generated resources>
#         -DOBJDUMP=<llvm-objdump> -DNM=<llvm-nm> -P CheckMacBundle.cmake
# Checks: header, exports, libraries, imports, unwind, files.
cmake_minimum_required(VERSION 3.25)

set(code "${BUNDLE}/Contents/MacOS/ZelfinControls")
set(entry_points
  _EntryPointFunc_2d _EntryPointFunc_3d _EntryPointFunc_bezier _EntryPointFunc_camera
  _EntryPointFunc_light)

function(run out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE error RESULT_VARIABLE status)
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
  # A 64-bit Intel bundle for macOS 10.13 and later.
  run(header ${OBJDUMP} --macho --private-header "${code}")
  if(NOT header MATCHES "MH_MAGIC_64 +X86_64 +ALL +[x0-9]+ +BUNDLE ")
    fail("not a 64-bit Intel bundle:\n${header}")
  endif()
  run(commands ${OBJDUMP} --macho --private-headers "${code}")
  if(NOT commands MATCHES "cmd LC_VERSION_MIN_MACOSX\n[^\n]*\n +version 10\\.13\n"
     AND NOT commands MATCHES "cmd LC_BUILD_VERSION\n[^\n]*\n +platform (macos|1)\n +sdk [0-9.]+\n +minos 10\\.13\n")
    fail("minimum macOS version is not 10.13")
  endif()

elseif(CHECK STREQUAL "exports")
  # Exactly the five entry points.
  run(defined ${NM} --extern-only --defined-only --just-symbol-name "${code}")
  lines(exported "${defined}")
  list(SORT exported)
  if(NOT exported STREQUAL entry_points)
    fail("exports are [${exported}], expected [${entry_points}]")
  endif()

elseif(CHECK STREQUAL "libraries")
  # Only the two system libraries.
  run(used ${OBJDUMP} --macho --dylibs-used "${code}")
  lines(used "${used}")
  list(POP_FRONT used)  # the file name
  set(libraries "")
  foreach(line IN LISTS used)
    string(REGEX REPLACE "^[ \t]*([^ ]+) \\(.*$" "\\1" library "${line}")
    list(APPEND libraries "${library}")
  endforeach()
  list(SORT libraries)
  if(NOT libraries STREQUAL "/usr/lib/libSystem.B.dylib;/usr/lib/libc++.1.dylib")
    fail("linked libraries are [${libraries}]")
  endif()

elseif(CHECK STREQUAL "imports")
  # Every undefined symbol is bound to one of the two libraries; none is looked up flat.
  run(undefined ${NM} --undefined-only -m "${code}")
  lines(undefined "${undefined}")
  foreach(line IN LISTS undefined)
    if(NOT line MATCHES "\\(undefined\\) external [^ ]+ \\(from (libSystem|libc\\+\\+)\\)$")
      fail("import outside the system libraries: ${line}")
    endif()
  endforeach()

elseif(CHECK STREQUAL "unwind")
  # Exception tables, so a thrown error code can be caught before it reaches the host.
  run(sections ${OBJDUMP} --macho --section-headers "${code}")
  foreach(section __unwind_info __gcc_except_tab)
    if(NOT sections MATCHES " ${section} ")
      fail("no ${section} section:\n${sections}")
    endif()
  endforeach()

elseif(CHECK STREQUAL "files")
  # The four files of the bundle, the three besides the code as generated.
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${BUNDLE}" "${BUNDLE}/*")
  list(SORT files)
  set(expected_files
    Contents/Info.plist Contents/MacOS/ZelfinControls Contents/PkgInfo
    Contents/Resources/ZelfinControls.rsrc)
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
