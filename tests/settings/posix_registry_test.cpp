#include "platform/posix_registry.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/port_discovery.h"
#include "platform/port_list.h"
#include "platform/registry_file.h"
#include "settings/atomic_file.h"
#include "tests/settings/temp_dir.h"

namespace zorveth {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::string Dword(std::uint32_t n) {
  return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
          static_cast<char>(n >> 24)};
}

TEST(RegistryFile, ReadsNumbersOfTheNamedKeyIgnoringCaseAndHivePrefix) {
  TempDir dir;
  fs::path file = dir.path() / "registry.ini";
  WriteFile(file,
            "; saved by hand\r\n"
            "[Software\\Other]\nSerial Port = 9\n"
            "[HKEY_LOCAL_MACHINE\\software\\pellucor\\vorlith\\v2\\settings]\r\n"
            "  Serial Port  =  3 \r\n"
            "\"Quoted Name\"=-1\n"
            "Text = COM4\n"
            "Huge = 4294967296\n"
            "serial port = 5\n");
  auto values = ReadRegistryFileKey(file, "Software\\Pellucor\\Vorlith\\V2\\Settings");
  ASSERT_TRUE(values.has_value());
  ASSERT_EQ(values->size(), 2u);
  EXPECT_EQ((*values)[0].name, "Serial Port");
  EXPECT_EQ((*values)[0].data, Dword(3));
  EXPECT_EQ((*values)[1].name, "Quoted Name");
  EXPECT_EQ((*values)[1].data, Dword(0xFFFFFFFF));
  EXPECT_FALSE(ReadRegistryFileKey(file, "Software\\Missing").has_value());
  EXPECT_FALSE(ReadRegistryFileKey(dir.path() / "absent.ini", "Software\\Other").has_value());
}

TEST(PosixRegistry, SerialCommComesFromThePortMapAndTheSavedPortFromTheFile) {
  TempDir dir;
  PortMapRoots roots{dir.path() / "config", dir.path() / "dev", dir.path() / "sys"};
  for (const char* name : {"ttyUSB0", "ttyUSB1"}) {
    fs::create_directories(roots.sysClassTty / name / "device");
    WriteFile(roots.devDir / name, "");
  }
  fs::create_directories(roots.configDir / "ports");
  fs::create_symlink(roots.devDir / "ttyUSB1", roots.configDir / "ports" / "COM12");
  WriteFile(roots.configDir / "registry.ini",
            "[Software\\Pellucor\\Vorlith\\V2\\Settings]\nSerial Port = 12\n");
  PosixRegistry registry(roots);

  PortList list;
  EXPECT_EQ(ListSerialPorts(list, registry), 2);
  EXPECT_EQ(list.Entries(), (std::vector<std::string>{"COM1 (ttyUSB0)", "COM12 (ttyUSB1)"}));
  SelectSavedPort(list, registry);
  EXPECT_EQ(list.Selected(), 1);

  auto key = registry.OpenLocalMachineKey("hardware\\devicemap\\serialcomm");
  ASSERT_NE(key, nullptr);
  RegistryValue value;
  ASSERT_TRUE(key->EnumValue(0, value));
  EXPECT_EQ(value.name, (roots.devDir / "ttyUSB0").string());
  EXPECT_EQ(value.data, std::string("COM1 (ttyUSB0)") + '\0');
  EXPECT_FALSE(key->EnumValue(2, value));
  EXPECT_EQ(registry.OpenLocalMachineKey("Software\\Missing"), nullptr);
}

// Keeps the process's file size limit low for one test; writing past it
// fails with EFBIG for every user, root included.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    signal(SIGXFSZ, m_oldHandler);
  }

 private:
  rlimit m_old{};
  sighandler_t m_oldHandler;
};

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  fs::path file = dir.path() / "SkelvarRadio.ini";
  ASSERT_TRUE(ReplaceFileAtomically(file, "old contents\r\n"));
  fs::permissions(file, fs::perms(0640));
  {
    FileSizeLimit limit(16);
    EXPECT_FALSE(ReplaceFileAtomically(file, std::string(100, 'n')));
  }
  EXPECT_EQ(ReadFile(file), "old contents\r\n");
  ASSERT_TRUE(ReplaceFileAtomically(file, "new"));
  EXPECT_EQ(ReadFile(file), "new");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));  // kept across the replace
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 1);

  // Through a link, the linked file is replaced and the link stays.
  fs::create_symlink(file, dir.path() / "link.ini");
  ASSERT_TRUE(ReplaceFileAtomically(dir.path() / "link.ini", "via link"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadFile(file), "via link");
}

// Runs body as an ordinary user (nobody, when the tests run as root, whom
// file permissions would not stop) in a child process; its result is the
// child's exit status.
int RunAsOrdinaryUser(const fs::path& dir, int (*body)(const fs::path&)) {
  bool root = ::geteuid() == 0;
  if (root) {
    for (const auto& entry : fs::recursive_directory_iterator(dir))
      if (::lchown(entry.path().c_str(), 65534, 65534) != 0) return -1;
    if (::chown(dir.c_str(), 65534, 65534) != 0) return -1;
  }
  pid_t child = ::fork();
  if (child == 0) {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
    ::_exit(body(dir));
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(AtomicFile, AReadOnlyFileIsLeftAloneAndAFileInALockedFolderIsWrittenInPlace) {
  TempDir dir;
  WriteFile(dir.path() / "readonly.ini", "kept\r\n");
  fs::permissions(dir.path() / "readonly.ini", fs::perms(0444));
  fs::create_directory(dir.path() / "locked");
  WriteFile(dir.path() / "locked" / "SkelvarRadio.ini", "old\r\n");
  fs::permissions(dir.path() / "locked" / "SkelvarRadio.ini", fs::perms(0644));
  fs::permissions(dir.path() / "locked", fs::perms(0555));

  int result = RunAsOrdinaryUser(dir.path(), [](const fs::path& d) {
    int faults = 0;
    if (ReplaceFileAtomically(d / "readonly.ini", "replaced\r\n")) faults |= 1;
    if (!ReplaceFileAtomically(d / "locked" / "SkelvarRadio.ini", "new\r\n")) faults |= 2;
    // Nor can a new file be made in the locked folder.
    if (ReplaceFileAtomically(d / "locked" / "other.ini", "x")) faults |= 4;
    return faults;
  });
  fs::permissions(dir.path() / "locked", fs::perms(0755));
  EXPECT_EQ(result, 0) << "bit 1: read-only file replaced; 2: locked folder refused; 4: file made";
  EXPECT_EQ(ReadFile(dir.path() / "readonly.ini"), "kept\r\n");
  EXPECT_EQ(ReadFile(dir.path() / "locked" / "SkelvarRadio.ini"), "new\r\n");
  EXPECT_EQ(fs::status(dir.path() / "readonly.ini").permissions(), fs::perms(0444));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path() / "locked"))
    ++entries;
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace zorveth
