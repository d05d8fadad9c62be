#pragma once

#include <filesystem>

namespace zorveth::bench {

// What tracing adds to a poll of both radios: wall and CPU time of the
// operation in this process over the serial port with and without a
// tracing port, and wall time and peak memory of `zorveth-cli poll both`
// with and without --trace, as ratios traced/untraced.
void TraceCostTable(const std::filesystem::path& portsDir, const std::filesystem::path& workDir);

}  // namespace zorveth::bench
