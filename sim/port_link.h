#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zorveth::sim {

// The tool's port map: ${XDG_CONFIG_HOME:-$HOME/.config}/zorveth/ports. Empty when neither
// variable gives an absolute directory.
std::filesystem::path DefaultPortsDir();

// Makes <portsDir>/COM<number> a symbolic link to target, creating portsDir as needed. An existing
// link of that name is replaced (atomically, so the tool never sees the name missing); a regular
// file or directory there is left alone and reported as an error.
std::optional<std::filesystem::path> CreatePortLink(const std::filesystem::path& portsDir,
                                                    int number, const std::string& target,
                                                    std::string* error);

// Removes link if it still points at target; a link that something else has taken over since is
// not ours to remove.
void RemovePortLink(const std::filesystem::path& link, const std::string& target);

}  // namespace zorveth::sim
