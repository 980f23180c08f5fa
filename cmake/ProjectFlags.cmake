# Compiler settings shared by every target.

# Warnings: product code builds clean under -Wall -Wextra.
set(VOZ_WARNINGS -Wall -Wextra)

# The program's narrow texts are GBK bytes; the sources are UTF-8.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(VOZ_PRODUCT_CHARSET -finput-charset=UTF-8 -fexec-charset=GBK)
else()
  set(VOZ_PRODUCT_CHARSET)
endif()

# Paths of the build machine never reach the binaries.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)

if(NOT WIN32)
  # L"..." is UTF-16 as on Windows; the simulated Windows relies on it.
  add_compile_options(-fshort-wchar)
  if(VOZ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
