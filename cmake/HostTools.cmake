# A cross build runs tools on the build machine (icon, demo payload, the
# archive packer). They are built natively from the same tree, or taken from
# VOZ_HOST_TOOLS_DIR, a native build's tools folder, when one exists already:
# the tools only pack the payload, so a build that reuses them still makes
# its own executable from the sources.
set(VOZ_HOST_TOOLS_DIR "" CACHE PATH "Folder with make_icon, make_payload and vozpack built natively (default: build them)")
if(VOZ_HOST_TOOLS_DIR)
  set(VOZ_HOST_BIN ${VOZ_HOST_TOOLS_DIR})
  foreach(tool make_icon make_payload vozpack)
    if(NOT EXISTS ${VOZ_HOST_BIN}/${tool})
      message(FATAL_ERROR "VOZ_HOST_TOOLS_DIR has no ${tool}: ${VOZ_HOST_BIN}")
    endif()
  endforeach()
  add_custom_target(host_tools)
  return()
endif()
include(ExternalProject)
set(VOZ_HOST_BIN ${CMAKE_BINARY_DIR}/host/bin)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/host
  CMAKE_ARGS -DVOZ_HOST_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${VOZ_HOST_BIN}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VOZ_HOST_BIN}/make_icon ${VOZ_HOST_BIN}/make_payload ${VOZ_HOST_BIN}/vozpack)
