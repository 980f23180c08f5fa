# setup.exe (i686) or setup64.exe (x86_64): the product against the real
# Win32 headers, statically linked, with its manifest, icon and package.
# The oldest Windows each runs on: XP for 32-bit, XP x64 (Server 2003) for
# 64-bit, which the executable's header names as its OS and subsystem version.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VOZ_EXE_NAME setup64)
  set(VOZ_OLDEST_WINDOWS 5 2)
else()
  set(VOZ_EXE_NAME setup)
  set(VOZ_OLDEST_WINDOWS 5 1)
endif()
list(GET VOZ_OLDEST_WINDOWS 0 VOZ_OLDEST_MAJOR)
list(GET VOZ_OLDEST_WINDOWS 1 VOZ_OLDEST_MINOR)

find_library(VOZ_ZLIB_STATIC NAMES libz.a REQUIRED)

set(VOZ_ICON ${CMAKE_BINARY_DIR}/resources/morvak.ico)
add_custom_command(OUTPUT ${VOZ_ICON}
  COMMAND ${VOZ_HOST_BIN}/make_icon ${VOZ_ICON}
  DEPENDS host_tools
  COMMENT "Drawing the program icon")

# The package archive, packed on the build machine with the host tools; the
# helper stub is built for the same processor as the executable.
include(${CMAKE_SOURCE_DIR}/payload/package.cmake)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VOZ_STUB_ENTRY HelperMain)
else()
  set(VOZ_STUB_ENTRY _HelperMain)
endif()
voz_add_package(${CMAKE_C_COMPILER} ${VOZ_STUB_ENTRY} ${VOZ_HOST_BIN}/make_payload ${VOZ_HOST_BIN}/vozpack
                host_tools ${VOZ_HOST_BIN}/make_payload ${VOZ_HOST_BIN}/vozpack)

configure_file(${CMAKE_SOURCE_DIR}/src/resources/setup.manifest ${CMAKE_BINARY_DIR}/resources/setup.manifest COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/resources/version.rc.in ${CMAKE_BINARY_DIR}/resources/version.rc @ONLY)
set(VOZ_RC ${CMAKE_SOURCE_DIR}/src/resources/setup.rc)
set_source_files_properties(${VOZ_RC} PROPERTIES OBJECT_DEPENDS
  "${VOZ_ICON};${VOZ_PACKAGE_FILE};${CMAKE_BINARY_DIR}/resources/version.rc;${CMAKE_SOURCE_DIR}/src/resources/dialogs.rc")

add_executable(${VOZ_EXE_NAME} WIN32 ${VOZ_PRODUCT_SOURCES} ${VOZ_RC})
target_include_directories(${VOZ_EXE_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/src)
# A cast from one function type to another hides a wrong signature; the
# product needs none (a system function found by name gets its type from
# FindSystemFunction), so one is an error.
target_compile_options(${VOZ_EXE_NAME} PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:${VOZ_WARNINGS} ${VOZ_PRODUCT_CHARSET} -fno-exceptions -fno-rtti -Werror=cast-function-type>)
# The headers declare only what Windows XP has, so that a newer function
# cannot slip in unnoticed; the import check after linking covers what the
# runtime libraries import.
target_compile_definitions(${VOZ_EXE_NAME} PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501)
# Parsing the Windows headers is nearly all of each file's compile: once.
target_precompile_headers(${VOZ_EXE_NAME} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${CMAKE_SOURCE_DIR}/src/platform/win32.h>)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR}/resources -I${CMAKE_BINARY_DIR}/payload -c 936")
target_link_options(${VOZ_EXE_NAME} PRIVATE -static -static-libgcc -static-libstdc++ -s
  -Wl,--no-insert-timestamp
  -Wl,--major-os-version,${VOZ_OLDEST_MAJOR},--minor-os-version,${VOZ_OLDEST_MINOR}
  -Wl,--major-subsystem-version,${VOZ_OLDEST_MAJOR},--minor-subsystem-version,${VOZ_OLDEST_MINOR})
target_link_libraries(${VOZ_EXE_NAME} PRIVATE ${VOZ_ZLIB_STATIC} imm32 shell32 advapi32 gdi32 user32)

# Every imported function must be one the oldest supported Windows exports:
# a new import that is not fails the build with its name.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(TARGET ${VOZ_EXE_NAME} POST_BUILD
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/build/check_imports.py
          --objdump ${CMAKE_OBJDUMP} $<TARGET_FILE:${VOZ_EXE_NAME}>
  COMMENT "Checking the imports of ${VOZ_EXE_NAME}.exe against Windows XP"
  VERBATIM)

# Authenticode: given a certificate and its private key (PEM files), the
# build signs the executable with SHA-256, after the import check. The
# settings are cache variables, taken from the environment at the first
# configure when not given with -D. VOZ_SIGN_TIME (seconds since 1970) fixes
# the signing time, so that signed builds are reproducible;
# VOZ_SIGN_TIMESTAMP_URL names an RFC 3161 time-stamp server.
set(VOZ_SIGN_CERT "$ENV{VOZ_SIGN_CERT}" CACHE FILEPATH "Authenticode certificate (PEM) that signs the executable")
set(VOZ_SIGN_KEY "$ENV{VOZ_SIGN_KEY}" CACHE FILEPATH "Private key (PEM) of VOZ_SIGN_CERT")
set(VOZ_SIGN_TIME "$ENV{VOZ_SIGN_TIME}" CACHE STRING "Fixed signing time, seconds since 1970 (empty: the time of signing)")
set(VOZ_SIGN_TIMESTAMP_URL "$ENV{VOZ_SIGN_TIMESTAMP_URL}" CACHE STRING "RFC 3161 time-stamp server (empty: none)")
if(VOZ_SIGN_CERT AND VOZ_SIGN_KEY)
  find_program(VOZ_OSSLSIGNCODE osslsigncode REQUIRED)
  add_custom_command(TARGET ${VOZ_EXE_NAME} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DINPUT=$<TARGET_FILE:${VOZ_EXE_NAME}> -DOUTPUT=$<TARGET_FILE:${VOZ_EXE_NAME}>
            -DCERT=${VOZ_SIGN_CERT} -DKEY=${VOZ_SIGN_KEY} -DTIME=${VOZ_SIGN_TIME} -DTIMESTAMP_URL=${VOZ_SIGN_TIMESTAMP_URL}
            -P ${CMAKE_SOURCE_DIR}/cmake/SignExecutable.cmake
    COMMENT "Signing ${VOZ_EXE_NAME}.exe"
    VERBATIM)
elseif(VOZ_SIGN_CERT OR VOZ_SIGN_KEY)
  message(FATAL_ERROR "VOZ_SIGN_CERT and VOZ_SIGN_KEY are given together, or neither")
endif()
