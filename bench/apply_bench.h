#pragma once

#include <filesystem>

namespace zorveth::bench {

// Times apply against what it stands for: on a pair that holds the profile,
// the polls of both radios; on one it writes both radios of, the polls, a
// configure and the polls again. Each on a fresh simulated pair at COM1 of
// portsDir.
void ApplyTable(const std::filesystem::path& portsDir);

}  // namespace zorveth::bench
