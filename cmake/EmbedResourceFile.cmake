# cmake -DINPUT=file.res -DOUTPUT=file.cpp -P EmbedResourceFile.cmake
# Writes the bytes of a compiled resource file as the simulated program
# image's resource section (sim/src/program_resources.h).
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}: do not edit.\n"
  "#include \"program_resources.h\"\n\n"
  "const unsigned char sim::kProgramResources[] = {\n${bytes}\n};\n"
  "const unsigned long sim::kProgramResourcesSize = ${size};\n")
