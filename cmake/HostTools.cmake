# A cross build runs tools on the build machine (icon, demo payload, the
# archive packer). They are built natively from the same tree.
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
