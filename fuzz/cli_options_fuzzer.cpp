// zorveth-cli's command line, in-process: any list of arguments ends with
// exit status 0, 1 or 2, and a failing one says why on stderr. The port map
// and registry file are those of an empty configuration folder, the working
// directory is a scratch folder, and every open() of a device file is
// refused (the target links its open calls to the guard below), so that no
// fuzzed command line reaches a real serial port.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/commands.h"
#include "fuzz/scratch_folder.h"

extern "C" {
int __real_open(const char* path, int flags, ...);
int __real_open64(const char* path, int flags, ...);
int __real_openat(int dir, const char* path, int flags, ...);
int __real_openat64(int dir, const char* path, int flags, ...);
}

namespace {

bool IsDevice(int dir, const char* path) {
  if (std::strncmp(path, "/dev/", 5) == 0) return true;
  struct stat status {};
  if (::fstatat(dir, path, &status, 0) != 0) return false;
  return S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode);
}

mode_t ModeArgument(int flags, va_list arguments) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int __wrap_open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  if (IsDevice(AT_FDCWD, path)) {
    errno = EACCES;
    return -1;
  }
  return __real_open(path, flags, mode);
}

int __wrap_open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  if (IsDevice(AT_FDCWD, path)) {
    errno = EACCES;
    return -1;
  }
  return __real_open64(path, flags, mode);
}

int __wrap_openat(int dir, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  if (IsDevice(dir, path)) {
    errno = EACCES;
    return -1;
  }
  return __real_openat(dir, path, flags, mode);
}

int __wrap_openat64(int dir, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  mode_t mode = ModeArgument(flags, arguments);
  va_end(arguments);
  if (IsDevice(dir, path)) {
    errno = EACCES;
    return -1;
  }
  return __real_openat64(dir, path, flags, mode);
}

}  // extern "C"

namespace {

[[noreturn]] void Fail(const std::string& what, const zorveth::cli::Arguments& args) {
  std::fprintf(stderr, "cli_options_fuzzer: %s; arguments:", what.c_str());
  for (const auto& arg : args) std::fprintf(stderr, " '%s'", arg.c_str());
  std::fprintf(stderr, "\n");
  std::abort();
}

struct Sandbox {
  zorveth::fuzz::ScratchFolder scratch;
  std::filesystem::path work = scratch.Path() / "work";

  Sandbox() {
    std::filesystem::create_directories(work);
    std::filesystem::create_directories(scratch.Path() / "config");
    ::setenv("XDG_CONFIG_HOME", (scratch.Path() / "config").c_str(), 1);
    ::setenv("HOME", scratch.Path().c_str(), 1);
  }
};

// Runs the command line in the scratch folder and comes back: the fuzzer
// itself reads its corpus by the paths it was given, relative ones too.
class InWorkFolder {
 public:
  explicit InWorkFolder(const std::filesystem::path& work)
      : m_previous(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_previous < 0 || ::chdir(work.c_str()) != 0) std::abort();
  }
  ~InWorkFolder() {
    if (::fchdir(m_previous) != 0) std::abort();
    ::close(m_previous);
  }
  InWorkFolder(const InWorkFolder&) = delete;
  InWorkFolder& operator=(const InWorkFolder&) = delete;

 private:
  int m_previous;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Sandbox sandbox;
  // Arguments are the input's NUL-separated pieces; at most 12 of them.
  zorveth::cli::Arguments args;
  std::string current;
  for (std::size_t i = 0; i < size && args.size() < 12; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (args.size() < 12 && !current.empty()) args.push_back(current);

  // Each run starts from the same empty folder: a settings file written by
  // one input must not change what the next one sees.
  std::error_code ec;
  std::filesystem::remove(sandbox.work / "SkelvarRadio.ini", ec);

  std::ostringstream out;
  std::ostringstream err;
  std::streambuf* oldOut = std::cout.rdbuf(out.rdbuf());
  std::streambuf* oldErr = std::cerr.rdbuf(err.rdbuf());
  int status = 0;
  {
    InWorkFolder inWork(sandbox.work);
    status = zorveth::cli::RunCommandLine(args);
  }
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);

  if (status != 0 && status != 1 && status != 2) {
    Fail("exit status " + std::to_string(status), args);
  }
  if (status != 0 && err.str().empty()) Fail("a failure without a word on stderr", args);
  if (status == 2 && err.str().find("zorveth-cli") != 0 && err.str().find("Usage") != 0) {
    Fail("a usage error that does not name the program", args);
  }
  if (ec) Fail("the scratch folder's settings file cannot be removed", args);
  return 0;
}
