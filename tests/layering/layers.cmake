# The layers of the project and what each may use, lowest first. A source file belongs to the
# unit of the longest folder below that holds it. A unit may include and link its own files and
# those of the units it lists; an entry that is not itself a unit ("lib") stands for every unit
# below it. Files in a unit's tests/ and fuzz/ folders may use the same units, their testing/
# folders, and their own unit's test helpers. Top-level tests/ and bench/ may use everything.
#
# Code outside testing/, tests/ and fuzz/ folders never includes a header from a testing/
# folder, and no library outside testing/ links one: test doubles stay out of the programs.
set(QUENOR_LAYERS
    "lib/base="
    "lib/files=lib/base"
    "lib/refpack=lib/base"
    "lib/viv=lib/base lib/files lib/refpack"
    "lib/vdf=lib/base"
    "lib/digest=lib/files"
    "lib/registry=lib/base"
    "lib/registry/wine=lib/base lib/files lib/registry"
    "lib/registry/windows=lib/base lib/registry"
    "core=lib"
    "tool=core lib"
    "window=tool core lib"
    "window/qt=window tool core lib"
    "window/win32=window tool core lib"
    "window/terminal=window tool core lib"
    "host=window tool core lib"
    "app=host window window/qt window/win32 window/terminal tool core lib"
    "tests=*"
    "bench=*"
)
