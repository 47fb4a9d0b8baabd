# Turns a binary file into a C++ source that defines it as a byte array:
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -P embed_font.cmake
# The array is marquetta::kEmbeddedStrokeFont with its length kEmbeddedStrokeFontSize.
# A missing input gives an empty font, which the program reports as missing.
if(EXISTS "${INPUT}")
  file(READ "${INPUT}" hex HEX)
else()
  set(hex "")
endif()
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line_pattern)
string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${bytes}")
if(size EQUAL 0)
  set(bytes "0")
endif()
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_font.cmake; do not edit.
#include <cstddef>
#include <cstdint>

namespace marquetta {
extern const uint8_t kEmbeddedStrokeFont[];
extern const size_t kEmbeddedStrokeFontSize;
alignas(16) const uint8_t kEmbeddedStrokeFont[] = {
${bytes}
};
const size_t kEmbeddedStrokeFontSize = ${size};
}  // namespace marquetta
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
