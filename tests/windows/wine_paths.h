#pragma once

// Paths across the Wine boundary: Wine's drive Z: is the Linux root.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zorveth::testing {

inline std::string WindowsPathOf(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh directory under the Linux /tmp, known by both of its names, and
// removed with its contents at the end.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<unsigned> counter{0};
    for (;;) {
      m_unix = "/tmp/zorveth-wine-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount64()) + "-" + std::to_string(counter++);
      if (std::filesystem::create_directory(Path())) break;
    }
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path(), ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& UnixPath() const { return m_unix; }
  std::filesystem::path Path() const { return WindowsPathOf(m_unix); }

 private:
  std::string m_unix;
};

}  // namespace zorveth::testing
