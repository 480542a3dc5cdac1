// Peak resident memory of the benchmark process, from /proc (Linux).
#include "bench/process_memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace quenor::bench {

std::optional<std::uint64_t> peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            std::uint64_t kib = 0;
            if (fields >> kib) return kib;
        }
    }
    return std::nullopt;
}

bool resetPeakResident() {
    // Writing 5 to clear_refs resets VmHWM to the current resident size (Linux 4.0 and later).
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

}  // namespace quenor::bench
