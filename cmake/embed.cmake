# Turns one file into a C++ source that holds its bytes, so that the program
# carries its resources in its own data and needs no file beside it.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=gSymbol -P embed.cmake
# Defines gSymbol[] (the bytes and one extra 0 that is not counted, so that an
# empty file still gives a valid array) and gSymbolSize (the byte count).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# 16 bytes a line keep the generated file readable for a compiler error
# (CMake's regular expressions have no counted repeat).
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include <cstdint>

extern const uint8_t ${NAME}[];
extern const int64_t ${NAME}Size;
const uint8_t ${NAME}[] = {
  ${bytes}0x00};
const int64_t ${NAME}Size = ${byteCount};
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
