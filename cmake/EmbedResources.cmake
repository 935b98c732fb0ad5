# Turns a resource text file into a C++ source holding its bytes, so the English resources
# are part of the program and need no file at run time.
file(READ ${INPUT} content HEX)
string(LENGTH "${content}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n\nnamespace nibblet {\nextern const unsigned char kBuiltinResources[];\nextern const std::size_t kBuiltinResourcesSize;\nconst unsigned char kBuiltinResources[] = {\n${bytes}0};\nconst std::size_t kBuiltinResourcesSize = ${byte_count};\n}  // namespace nibblet\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
