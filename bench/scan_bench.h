#pragma once

#include <filesystem>

namespace zorveth::bench {

// Times scans of several simulated pairs and silent ports at once against
// the slowest scan of a single port, with the CPU the scan's threads used.
// Each pair is served on a pty of its own, linked into portsDir.
void ScanTable(const std::filesystem::path& portsDir);

}  // namespace zorveth::bench
