# Static checks of ZelfinControls.aex with MinGW's objdump. One check per CTest test:
#   cmake -DCHECK=<name> -DAEX=<.../ZelfinControls.aex> -DGENERATED=<generated resources>
#         -DOBJDUMP=<x86_64-w64-mingw32-objdump> -P CheckWindowsBinary.cmake
# Checks: exports, imports, resources.
cmake_minimum_required(VERSION 3.25)

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

function(run out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("${ARGN} failed (${status}): ${error}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

function(lines out text)
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(NOT EXISTS "${AEX}")
  fail("no plug-in at ${AEX}")
endif()
run(headers ${OBJDUMP} -p "${AEX}")

if(CHECK STREQUAL "exports")
  # Exactly the five entry points, by name, and nothing exported by ordinal only.
  if(NOT headers MATCHES "\tExport Address Table[ \t]+00000005\n\t\\[Name Pointer/Ordinal\\] Table\t00000005\n")
    fail("the export table does not hold exactly five entries")
  endif()
  # Brackets would group list elements in CMake: drop the "[   0] " prefixes before splitting.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n((\t\\[ *[0-9]+\\] [^\n]+\n)*)" _ "${headers}")
  set(table "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" table "${table}")
  string(STRIP "${table}" table)
  lines(names "${table}")
  list(SORT names)
  set(expected
    EntryPointFunc_2d EntryPointFunc_3d EntryPointFunc_bezier EntryPointFunc_camera
    EntryPointFunc_light)
  if(NOT names STREQUAL expected)
    fail("exported names are [${names}], expected [${expected}]")
  endif()

elseif(CHECK STREQUAL "imports")
  # Only DLLs that ship with Windows: the compiler's runtime is linked in.
  string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${headers}")
  list(TRANSFORM dlls REPLACE "^DLL Name: " "")
  if(NOT dlls)
    fail("no import table")
  endif()
  foreach(dll IN LISTS dlls)
    string(TOLOWER "${dll}" name)
    if(NOT name MATCHES "^(kernel32|msvcrt|user32|advapi32|ntdll|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\\.dll$")
      fail("imports ${dll}, which does not ship with Windows")
    endif()
  endforeach()

elseif(CHECK STREQUAL "resources")
  # The five property lists (type "PIPL", ids 16000 to 16004) and the manifest (type 24, id 2),
  # all in US English and byte-identical to the generated files; nothing else, so no version
  # resource either.
  string(FIND "${headers}" "The .rsrc Resource Directory section:" start)
  if(start LESS 0)
    fail("no resource directory")
  endif()
  string(SUBSTRING "${headers}" ${start} -1 directory)
  lines(directory "${directory}")
  set(found "")
  foreach(line IN LISTS directory)
    if(line MATCHES "^[0-9a-f]+   Entry: name: \\[[^]]*\\]: ([^,]+),")
      set(type "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[0-9a-f]+   Entry: ID: (0x[0-9a-f]+),")
      math(EXPR type "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[0-9a-f]+     Entry: (ID: (0x[0-9a-f]+)|name: .*),")
      if(NOT CMAKE_MATCH_2)
        fail("named resource: ${line}")
      endif()
      math(EXPR id "${CMAKE_MATCH_2}")
    elseif(line MATCHES "^[0-9a-f]+       Entry: ID: (0x[0-9a-f]+),")
      math(EXPR language "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[0-9a-f]+        Leaf: Addr: (0x[0-9a-f]+), Size: (0x[0-9a-f]+),")
      math(EXPR size "${CMAKE_MATCH_2}")
      list(APPEND found "${type}/${id}/${language}")
      set(address_${type}_${id} "${CMAKE_MATCH_1}")
      set(size_${type}_${id} "${size}")
    endif()
  endforeach()
  list(SORT found)
  set(expected 24/2/1033 PIPL/16000/1033 PIPL/16001/1033 PIPL/16002/1033 PIPL/16003/1033
    PIPL/16004/1033)
  if(NOT found STREQUAL expected)
    fail("resources are [${found}] (type/id/language), expected [${expected}]")
  endif()

  # Resource addresses are relative to the image base; find the bytes through .rsrc's header.
  string(REGEX MATCH "ImageBase\t+([0-9a-f]+)" _ "${headers}")
  set(image_base "0x${CMAKE_MATCH_1}")
  run(sections ${OBJDUMP} -h "${AEX}")
  if(NOT sections MATCHES " \\.rsrc +[0-9a-f]+ +([0-9a-f]+) +[0-9a-f]+ +([0-9a-f]+) ")
    fail("no .rsrc section")
  endif()
  math(EXPR section_rva "0x${CMAKE_MATCH_1} - ${image_base}")
  set(section_file_offset "0x${CMAKE_MATCH_2}")
  set(generated_files
    "24/2/ZelfinControls.manifest" "PIPL/16000/ZelfinControls-16000.pipl"
    "PIPL/16001/ZelfinControls-16001.pipl" "PIPL/16002/ZelfinControls-16002.pipl"
    "PIPL/16003/ZelfinControls-16003.pipl" "PIPL/16004/ZelfinControls-16004.pipl")
  foreach(entry IN LISTS generated_files)
    string(REPLACE "/" ";" entry "${entry}")
    list(GET entry 0 type)
    list(GET entry 1 id)
    list(GET entry 2 name)
    math(EXPR offset "${section_file_offset} + ${address_${type}_${id}} - ${section_rva}")
    file(READ "${AEX}" compiled OFFSET ${offset} LIMIT ${size_${type}_${id}} HEX)
    file(READ "${GENERATED}/${name}" generated HEX)
    if(NOT compiled STREQUAL generated)
      fail("resource ${type} ${id} differs from the generated ${name}:\n${compiled}\n${generated}")
    endif()
  endforeach()

else()
  fail("unknown check '${CHECK}'")
endif()
