# Build-time converter: turns lang/tables/lang.inc (the translation tables in the include
# file generator's layout) into a C++ source holding its bytes, read at start-up by
# LanguageTables::compiled(). Run as: cmake -DINPUT=<lang.inc> -DOUTPUT=<cpp> -P EmbedTables.cmake
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from lang/tables/lang.inc by lang/tools/EmbedTables.cmake; do not edit.\n"
  "extern const unsigned char kLangTablesInclude[];\n"
  "extern const unsigned long kLangTablesIncludeSize;\n"
  "const unsigned char kLangTablesInclude[] = {\n${bytes}0x00};\n"
  "const unsigned long kLangTablesIncludeSize = ${size};\n")
