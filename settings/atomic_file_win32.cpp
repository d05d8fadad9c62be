// Atomic replacement on Windows: write a temporary file in the same
// directory, flush it to the disk, then move it over the old file in one
// step (MoveFileEx with write-through returns once the rename is on disk).
#include <windows.h>

#include <atomic>
#include <string>

#include "settings/atomic_file.h"

namespace zorveth {

namespace {

std::filesystem::path TemporaryPath(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about
  // "literal" + std::string temporaries.
  std::string name(".");
  name.append(path.filename().string()).append(".tmp-");
  name.append(std::to_string(GetCurrentProcessId())).append("-");
  name.append(std::to_string(counter++));
  return path.parent_path() / name;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents) {
  if (path.empty() || !path.has_filename()) return false;
  std::string temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = TemporaryPath(path).string();
    // CREATE_NEW: never reuse a file that happens to carry the name.
    file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    // A protected folder holding a file the user may write: write that file
    // in place, as any editor would. A read-only file refuses this open.
    if (GetLastError() != ERROR_ACCESS_DENIED) return false;
    std::string target = path.string();
    file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, contents) && FlushFileBuffers(file);
    return CloseHandle(file) && ok;
  }

  bool ok = WriteAll(file, contents) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  std::string target = path.string();
  if (ok) {
    ok = MoveFileExA(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

}  // namespace zorveth
