// A process that takes a change lock and holds it until it is ended: the other side of the
// Windows lock test.
//   quenor-lock-holder LOCKFILE
// Prints "held" (or "busy") once it knows, then waits.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

#include "lib/files/file_io.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const auto lock = quenor::files::systemFileIo().tryLock(argv[1]);
    std::printf(lock ? "held\n" : "busy\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
