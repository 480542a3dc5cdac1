# Writes demo_configs.h: the demo installation's four config files (demo/sgsm1.cfg ...
# sgsm4.cfg) as C++ string literals, byte for byte, for the fake installation of the tests.
#   cmake -DSOURCE_DIR=<project> -DOUTPUT=<file> -P embed_demo_configs.cmake
set(text "#pragma once\n\n#include <string_view>\n\nnamespace quenor::testing {\n\n")
string(APPEND text "// Generated from demo/sgsm1.cfg ... demo/sgsm4.cfg.\n")
string(APPEND text "inline constexpr std::string_view kDemoConfigs[] = {\n")
foreach(frame 1 2 3 4)
    file(READ ${SOURCE_DIR}/demo/sgsm${frame}.cfg hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR bytes "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
    string(APPEND text "    std::string_view(\"${escaped}\", ${bytes}),\n")
endforeach()
string(APPEND text "};\n\n}  // namespace quenor::testing\n")
file(WRITE ${OUTPUT} "${text}")
