# The program's dialog templates for the simulated machine: the same .rc the
# Windows builds link, compiled by the MinGW resource compiler into a .res
# file and carried as bytes in the simulation, which serves them as Windows
# serves an executable's resources.
find_program(VOZ_WINDRES NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres REQUIRED)

set(VOZ_DIALOGS_RC ${CMAKE_SOURCE_DIR}/src/resources/dialogs.rc)
set(VOZ_DIALOGS_RES ${CMAKE_BINARY_DIR}/resources/dialogs.res)
set(VOZ_DIALOGS_CPP ${CMAKE_BINARY_DIR}/resources/program_dialogs.cpp)

add_custom_command(OUTPUT ${VOZ_DIALOGS_RES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND ${VOZ_WINDRES} -c 936 -O res ${VOZ_DIALOGS_RC} ${VOZ_DIALOGS_RES}
  DEPENDS ${VOZ_DIALOGS_RC}
  COMMENT "Compiling the dialog templates")
add_custom_command(OUTPUT ${VOZ_DIALOGS_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${VOZ_DIALOGS_RES} -DOUTPUT=${VOZ_DIALOGS_CPP}
          -P ${CMAKE_SOURCE_DIR}/cmake/EmbedResourceFile.cmake
  DEPENDS ${VOZ_DIALOGS_RES} ${CMAKE_SOURCE_DIR}/cmake/EmbedResourceFile.cmake
  COMMENT "Embedding the dialog templates")
