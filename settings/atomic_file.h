#pragma once

#include <filesystem>
#include <string_view>

namespace zorveth {

// Replaces the file at path with contents, byte for byte. The bytes go to a
// new file in the same directory, which is flushed to the disk and then
// renamed over the old one, so a reader sees either the old file or the new
// one, never a half-written file. False on any failure; the old file is then
// untouched and the temporary file removed. A file that is not writable is
// never replaced; a writable file in a folder that is not is written in
// place instead (no temporary file can be made there). On POSIX systems
// errno says why a save failed.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

}  // namespace zorveth
