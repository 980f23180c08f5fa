# The package archive: the demo payload generated from the helper stub (or
# the product's real files from VOZ_PAYLOAD_DIR), packed with vozpack.
set(VOZ_PAYLOAD_DIR "" CACHE PATH "Folder of the product's files to pack instead of the generated demo payload")

# voz_helper_stub(OUT_VAR STUB_COMPILER STUB_ENTRY): the rule that builds
# the helper stub once; its path in OUT_VAR. A few kilobytes of kernel32
# calls without C runtime; no time stamp, so that two builds are the same.
function(voz_helper_stub out_var stub_compiler stub_entry)
  set(stub ${CMAKE_BINARY_DIR}/payload/helper_stub.exe)
  get_property(made GLOBAL PROPERTY VOZ_HELPER_STUB_RULE)
  if(NOT made)
    set_property(GLOBAL PROPERTY VOZ_HELPER_STUB_RULE TRUE)
    add_custom_command(OUTPUT ${stub}
      COMMAND ${stub_compiler} -std=c11 -Os -s -nostdlib -ffreestanding -fno-asynchronous-unwind-tables
              -fno-stack-protector -mwindows -e ${stub_entry} -Wl,--no-insert-timestamp
              -o ${stub} ${CMAKE_SOURCE_DIR}/payload/helper_stub.c -lkernel32
      DEPENDS ${CMAKE_SOURCE_DIR}/payload/helper_stub.c
      COMMENT "Building the helper stub")
  endif()
  set(${out_var} ${stub} PARENT_SCOPE)
endfunction()

# voz_add_package(STUB_COMPILER STUB_ENTRY GENERATOR PACKER TOOL_DEPENDS...)
# Makes the target `package_archive` and sets VOZ_PACKAGE_FILE (the archive)
# and VOZ_PAYLOAD_FILES (the folder it holds) for the whole build. STUB_COMPILER
# is a MinGW gcc and STUB_ENTRY the entry symbol as it spells it; GENERATOR
# and PACKER are the make_payload and vozpack programs, built by the targets
# or files in TOOL_DEPENDS.
function(voz_add_package stub_compiler stub_entry generator packer)
  set(tool_depends ${ARGN})
  set(dir ${CMAKE_BINARY_DIR}/payload)
  set(package ${dir}/package.voz)
  if(VOZ_PAYLOAD_DIR)
    set(files ${VOZ_PAYLOAD_DIR})
    file(GLOB payload_inputs CONFIGURE_DEPENDS ${VOZ_PAYLOAD_DIR}/*)
    set(sources ${VOZ_PAYLOAD_DIR})
  else()
    set(files ${dir}/files)
    set(list ${dir}/package.lst)
    voz_helper_stub(stub ${stub_compiler} ${stub_entry})
    add_custom_command(OUTPUT ${list}
      COMMAND ${generator} ${stub} ${files} ${list}
      DEPENDS ${stub} ${tool_depends}
      COMMENT "Generating the demo payload")
    set(payload_inputs ${list})
    set(sources --list ${list})
  endif()
  add_custom_command(OUTPUT ${package}
    COMMAND ${packer} create ${package} ${sources}
    DEPENDS ${payload_inputs} ${tool_depends}
    COMMENT "Packing the package archive")
  add_custom_target(package_archive DEPENDS ${package})
  set(VOZ_PACKAGE_FILE ${package} CACHE INTERNAL "The package archive the build embeds")
  set(VOZ_PAYLOAD_FILES ${files} CACHE INTERNAL "The folder of files the package holds")
endfunction()

# voz_add_small_package(STUB_COMPILER STUB_ENTRY GENERATOR PACKER TOOL_DEPENDS...)
# Makes the target `small_package_archive` and sets VOZ_SMALL_PACKAGE_FILE
# and VOZ_SMALL_PAYLOAD_FILES (the folder it holds): the demo payload's 188
# names with small contents (make_payload --small), for runs that install
# many times over.
function(voz_add_small_package stub_compiler stub_entry generator packer)
  set(tool_depends ${ARGN})
  set(dir ${CMAKE_BINARY_DIR}/payload-small)
  set(package ${dir}/package.voz)
  set(list ${dir}/package.lst)
  voz_helper_stub(stub ${stub_compiler} ${stub_entry})
  add_custom_command(OUTPUT ${list}
    COMMAND ${generator} --small ${stub} ${dir}/files ${list}
    DEPENDS ${stub} ${tool_depends}
    COMMENT "Generating the small demo payload")
  add_custom_command(OUTPUT ${package}
    COMMAND ${packer} create ${package} --list ${list}
    DEPENDS ${list} ${tool_depends}
    COMMENT "Packing the small package archive")
  add_custom_target(small_package_archive DEPENDS ${package})
  set(VOZ_SMALL_PACKAGE_FILE ${package} CACHE INTERNAL "The package with the demo names and small contents")
  set(VOZ_SMALL_PAYLOAD_FILES ${dir}/files CACHE INTERNAL "The folder of files the small package holds")
endfunction()
