#!/usr/bin/env python3
# Writes lib/base/code_page_tables.cpp: the upper halves (bytes 0x80..0xFF) of the Windows
# single-byte ANSI code pages Wine gives programs, as Python's codecs know them. A byte a code
# page leaves undefined stands for the code point of its own value (U+0081 ...), as Windows'
# conversions keep it, so that every byte survives a round trip.
#   scripts/make-code-pages.py > lib/base/code_page_tables.cpp
import codecs

PAGES = [874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258]

print("// Written by scripts/make-code-pages.py from Python's codecs; do not edit by hand.")
print('#include "lib/base/code_page.h"')
print()
print("namespace quenor::base::tables {")
print()
print("// clang-format off")
for page in PAGES:
    codec = codecs.lookup("cp%d" % page)
    values = []
    for byte in range(0x80, 0x100):
        try:
            text = bytes([byte]).decode(codec.name)
            values.append(ord(text) if len(text) == 1 else byte)
        except UnicodeDecodeError:
            values.append(byte)
    print("extern const char16_t kUpper%d[128] = {" % page)
    for row in range(0, 128, 8):
        print("    " + ", ".join("0x%04X" % v for v in values[row:row + 8]) + ",")
    print("};")
    print()
print("// clang-format on")
print()
print("}  // namespace quenor::base::tables")
