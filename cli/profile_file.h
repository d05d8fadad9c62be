#pragma once

#include <optional>
#include <string>

#include "link/link_profile.h"

namespace zorveth::cli {

// Reads and checks a profile file; the reason (file, line, what) when it
// cannot be read or taken.
std::optional<ProfileFile> ReadProfileFile(const std::string& path, std::string* error);

}  // namespace zorveth::cli
