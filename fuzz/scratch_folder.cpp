#include "fuzz/scratch_folder.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <system_error>

namespace zorveth::fuzz {

ScratchFolder::ScratchFolder() {
  // Memory-backed where the system has it: the targets write and sync files
  // on every run, which a disk makes a thousand times slower.
  std::error_code ec;
  std::filesystem::path base = "/dev/shm";
  if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0) {
    base = std::filesystem::temp_directory_path(ec);
  }
  std::string pattern = (base / "zorveth-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

void ScratchFolder::Clear() const {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(m_path, ec)) {
    std::filesystem::remove_all(entry.path(), ec);
  }
}

}  // namespace zorveth::fuzz
