# The platform conformance checks built for Windows, to run under Wine.
file(GLOB platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/platform/*.cpp)
# The platform layer's own sources are checked with them (the fault guard).
add_executable(platform_conformance ${platform_sources} ${CMAKE_SOURCE_DIR}/tests/platform/host/windows_host.cpp
               ${CMAKE_SOURCE_DIR}/src/platform/fault_guard_windows.cpp)
target_include_directories(platform_conformance PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(platform_conformance PRIVATE ${VOZ_WARNINGS} ${VOZ_PRODUCT_CHARSET})
target_link_options(platform_conformance PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(platform_conformance PRIVATE imm32 shell32 advapi32 gdi32 user32)
target_precompile_headers(platform_conformance PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/win32.h)

# Reads an executable's version resource through Windows' own functions.
add_executable(version_probe ${CMAKE_SOURCE_DIR}/tests/wine/version_probe.cpp)
target_compile_options(version_probe PRIVATE ${VOZ_WARNINGS})
target_link_options(version_probe PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(version_probe PRIVATE version shell32)
