# cmake -DINPUT=file -DOUTPUT=file.cpp -DHEADER=dir/Name.h -DNAME=Name -P EmbedBytes.cmake
# Writes a C++ source that defines NAME[] with INPUT's bytes and NAMELength.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR length "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Forty bytes a line keeps the generated file readable in a diff viewer.
string(REGEX REPLACE "((0x..,){40})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${NAME}'s asset at build time; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "const uint8_t ${NAME}[] = {\n    ${bytes}\n};\n"
  "const int32_t ${NAME}Length = ${length};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
