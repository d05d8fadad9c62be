#pragma once

#include <filesystem>

namespace zorveth::fuzz {

// A private folder under the system's temporary folder for the files a
// target writes and reads, removed when the process ends normally.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // Empties the folder, keeping the folder itself.
  void Clear() const;

 private:
  std::filesystem::path m_path;
};

}  // namespace zorveth::fuzz
