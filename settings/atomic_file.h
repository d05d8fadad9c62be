#pragma once

#include <filesystem>
#include <string_view>

namespace zorveth {

// Replaces the file at path with contents, byte for byte. The bytes go to a
// new file in the same directory, which is flushed to the disk and then
// renamed over the old one, so a reader sees either the old file or the new
// one, never a half-written file. False on any failure; the old file is then
// untouched and the temporary file removed.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

}  // namespace zorveth
