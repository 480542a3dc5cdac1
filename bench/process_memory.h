#pragma once

#include <cstdint>
#include <optional>

namespace quenor::bench {

// The peak resident set size of this process so far (VmHWM), in KiB.
std::optional<std::uint64_t> peakResidentKiB();
// Sets the peak back to the current resident size, so that a later peakResidentKiB() covers
// only what happens from now on. Returns false when the system does not allow it.
bool resetPeakResident();

}  // namespace quenor::bench
