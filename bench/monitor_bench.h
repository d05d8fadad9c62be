#pragma once

#include <filesystem>

namespace zorveth::bench {

// Times the signal monitor against the simulated pair at each speed: the
// period of a round (one sample of each radio) against the protocol's
// ideal, and the CPU the monitor used over 60 samples. The pair is served
// on a pty linked into portsDir.
void MonitorTable(const std::filesystem::path& portsDir);

}  // namespace zorveth::bench
