# Embedded resources: files compiled into a target and found at run time by name and
# type through FindResource (platform/classlib/resources.h).
#
#   qm_embed_resources(<target> RESOURCES <name> <type> <file> [<name> <type> <file> ...])
#
# <type> is a string such as RT_RCDATA, RT_BITMAP, RT_CURSOR, or "#<id>"; relative files
# are taken from the calling folder. A source with the bytes is generated at build time
# and rebuilt when a file changes; it registers the resources while the module starts.
#
# For a static library the generated object is kept out of the archive and handed to
# every final link instead, since nothing refers to it and the linker would drop it.
#
# The same file runs as a script (cmake -P) to generate that source.

if(NOT CMAKE_SCRIPT_MODE_FILE)

function(qm_embed_resources target)
  cmake_parse_arguments(ARG "" "" "RESOURCES" ${ARGN})
  if(NOT TARGET ${target})
    message(FATAL_ERROR "qm_embed_resources: ${target} is not a target")
  endif()
  list(LENGTH ARG_RESOURCES count)
  math(EXPR rest "${count} % 3")
  if(count EQUAL 0 OR NOT rest EQUAL 0)
    message(FATAL_ERROR "qm_embed_resources(${target}): expected RESOURCES <name> <type> <file> triples")
  endif()

  set(manifest "")
  set(files "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR t "${i} + 1")
    math(EXPR f "${i} + 2")
    list(GET ARG_RESOURCES ${i} name)
    list(GET ARG_RESOURCES ${t} type)
    list(GET ARG_RESOURCES ${f} file)
    if(name STREQUAL "" OR type STREQUAL "" OR name MATCHES "[\t\n]" OR type MATCHES "[\t\n]")
      message(FATAL_ERROR "qm_embed_resources(${target}): bad resource name or type '${name}' '${type}'")
    endif()
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "qm_embed_resources(${target}): no file ${file}")
    endif()
    string(APPEND manifest "${name}\t${type}\t${file}\n")
    list(APPEND files "${file}")
  endforeach()

  # Several calls for one target each get their own source.
  get_property(calls TARGET ${target} PROPERTY QM_EMBED_CALLS)
  if(NOT calls)
    set(calls 0)
  endif()
  math(EXPR calls "${calls} + 1")
  set_property(TARGET ${target} PROPERTY QM_EMBED_CALLS ${calls})

  set(dir "${CMAKE_CURRENT_BINARY_DIR}/qm_resources")
  set(stem "${target}_resources_${calls}")
  set(manifest_file "${dir}/${stem}.txt")
  set(output "${dir}/${stem}.cpp")
  # Rewritten only when it changes, so that configuring does not force a rebuild.
  set(old "")
  if(EXISTS "${manifest_file}")
    file(READ "${manifest_file}" old)
  endif()
  if(NOT old STREQUAL manifest)
    file(WRITE "${manifest_file}" "${manifest}")
  endif()

  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} "-DQM_EMBED_MANIFEST=${manifest_file}" "-DQM_EMBED_OUTPUT=${output}"
            -P "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    DEPENDS ${files} "${manifest_file}" "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    COMMENT "Embedding resources into ${target}"
    VERBATIM)

  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "STATIC_LIBRARY")
    add_library(${stem} OBJECT "${output}")
    add_dependencies(${target} ${stem})
    set_property(TARGET ${target} APPEND PROPERTY INTERFACE_LINK_LIBRARIES "$<TARGET_OBJECTS:${stem}>")
  else()
    target_sources(${target} PRIVATE "${output}")
  endif()
endfunction()

else()

# Script mode: QM_EMBED_MANIFEST lists "name<TAB>type<TAB>file" lines; QM_EMBED_OUTPUT
# receives the C++ source.
if(NOT DEFINED QM_EMBED_MANIFEST OR NOT DEFINED QM_EMBED_OUTPUT)
  message(FATAL_ERROR "EmbedResources.cmake: QM_EMBED_MANIFEST and QM_EMBED_OUTPUT are required")
endif()

function(qm_cpp_string_literal out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

file(READ "${QM_EMBED_MANIFEST}" manifest)
string(REPLACE "\n" ";" lines "${manifest}")
set(arrays "")
set(entries "")
set(index 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^([^\t]*)\t([^\t]*)\t(.*)$")
    message(FATAL_ERROR "EmbedResources.cmake: bad manifest line '${line}'")
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(type "${CMAKE_MATCH_2}")
  set(file "${CMAKE_MATCH_3}")
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line; a trailing zero keeps an empty file a valid array and ends a
  # text resource, without counting in its size.
  string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  qm_cpp_string_literal(name_literal "${name}")
  qm_cpp_string_literal(type_literal "${type}")
  string(APPEND arrays "// ${file}\nconst Byte kResource${index}[] = {\n${bytes}0x00};\n\n")
  string(APPEND entries "    {${name_literal}, ${type_literal}, kResource${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(source "// Generated from ${QM_EMBED_MANIFEST}; do not edit.\n")
string(APPEND source "#include \"platform/classlib/resources.h\"\n\nnamespace {\n\n${arrays}")
string(APPEND source "const resource_detail::Registration kRegistration{\n${entries}};\n\n}  // namespace\n")
file(WRITE "${QM_EMBED_OUTPUT}" "${source}")

endif()
