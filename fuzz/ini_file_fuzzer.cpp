// The settings file as anyone may have edited it: loading any bytes, saving
// and loading again gives the same document, and a value set in it reads
// back the same after a save and a reload.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/scratch_folder.h"
#include "settings/ini_file.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "ini_file_fuzzer: %s\n", what);
  std::abort();
}

// Section and key names as the tool uses them: one line of printable text.
std::string Name(FuzzedDataProvider& input) {
  std::string name = input.ConsumeRandomLengthString(24);
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '_';
  }
  return name.empty() ? "Settings" : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static zorveth::fuzz::ScratchFolder scratch;
  const auto original = scratch.Path() / "original.ini";
  const auto saved = scratch.Path() / "saved.ini";

  FuzzedDataProvider input(data, size);
  std::string section = Name(input);
  std::string key = Name(input);
  auto value = input.ConsumeIntegral<std::int32_t>();
  std::string contents = input.ConsumeRemainingBytesAsString();
  {
    std::ofstream file(original, std::ios::binary | std::ios::trunc);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  }

  zorveth::CIniFile document;
  document.Load(original);
  for (const auto& line : document.Lines()) {
    if (line.empty() || line.size() > zorveth::CIniFile::kMaxLineLength) Fail("bad line length");
    if (line.find('\n') != std::string::npos) Fail("a line holds a line feed");
  }
  if (!document.Save(saved)) Fail("Save failed in a writable folder");
  zorveth::CIniFile reloaded;
  reloaded.Load(saved);
  if (reloaded.Lines() != document.Lines()) Fail("save and reload changed the document");

  std::int32_t before = 0;
  bool had = document.GetInt(section, key, before);
  std::int32_t again = 0;
  if (reloaded.GetInt(section, key, again) != had || (had && again != before)) {
    Fail("a value read differently after save and reload");
  }

  if (!document.SetInt(section, key, value)) Fail("SetInt refused a section name");
  std::int32_t read = 0;
  if (!document.GetInt(section, key, read) || read != value) Fail("SetInt then GetInt differs");
  if (!document.Save(saved)) Fail("Save failed in a writable folder");
  reloaded.Load(saved);
  read = 0;
  if (!reloaded.GetInt(section, key, read) || read != value) {
    Fail("a value set did not read back after save and reload");
  }
  return 0;
}
