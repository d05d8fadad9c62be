// zorveth-cli profile save|show: a link's settings in a file of their own.
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/apply_report.h"
#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/link_options.h"
#include "cli/option_table.h"
#include "cli/profile_file.h"
#include "link/cancellable_port.h"
#include "link/command_mode.h"
#include "port/port_factory.h"
#include "settings/atomic_file.h"

namespace zorveth::cli {
namespace {

const CommandSpec kProfile = {
    "profile",
    "save|show FILE",
    "'save' polls both radios on the port (each at whatever speed it listens)\n"
    "and writes the link settings configure writes (channel, packet length,\n"
    "system ID, retries, baud rate) to FILE, a small commented text file, with\n"
    "what each radio reported then, as information only. 'show' prints a\n"
    "profile after checking it. 'zorveth-cli apply FILE --port P' brings a pair\n"
    "to a profile.\n",
    {kPortOption, kFormatOption, kHelpOption},
    "A profile with an unknown key, a missing setting or a value out of range is\n"
    "refused with its file, line and reason. The settings saved are the\n"
    "Server's; a Client that differs is noted. Exit status: 0 saved or shown,\n"
    "1 a failure message was shown, 2 usage error or bad profile, 128 and the\n"
    "signal's number after an interrupt.\n"};

Json ProfileDocument(const std::string& action, const std::string& file, const ProfileFile* profile,
                     bool success, const std::string& message,
                     const std::vector<std::string>& details) {
  Json document = DocumentHead("profile", success);
  document["action"] = action;
  document["file"] = file;
  document["message"] = message;
  document["details"] = details;
  if (!profile) {
    document["profile"] = nullptr;
    document["saved"] = nullptr;
    return document;
  }
  const LinkProfile& link = profile->link;
  document["profile"] = {{"channel", link.channel},
                         {"packetLength", link.packetLength},
                         {"systemId", link.systemId},
                         {"retries", link.retries},
                         {"baudRate", link.baudRate}};
  document["saved"] = {{"date", profile->saved.date},
                       {"port", profile->saved.port},
                       {"server", profile->saved.server},
                       {"client", profile->saved.client}};
  return document;
}

int Save(const std::string& file, const OperationContext& context, bool json) {
  std::unique_ptr<CRadioPort> device = CreatePort(context.port);
  CancellationToken& token = InterruptToken();
  CancellableClock clock(SystemClock(), token);
  CancellablePort port(*device, SystemClock(), token);
  InstallInterruptHandlers();
  ApplyOutcome polls;
  {
    ConsoleFeedback console(false);
    polls = ApplyProfile(LinkProfile{}, true, context.port, port, clock, console);
  }
  std::string message;
  std::vector<std::string> details;
  std::optional<ProfileFile> profile;
  std::string why, note;
  if (polls.interrupt || !polls.BothFound()) {
    const ApplyVerdict verdict = JudgeApply(polls, context, file);
    message = verdict.message;
    details = verdict.details;
  } else if (!(profile = ProfileFromPair(polls, ProfileDateNow(), &why, &note))) {
    message = "Unable to Save Profile";
    details.push_back("  " + why + "; nothing was saved");
  } else if (!ReplaceFileAtomically(file, FormatProfile(*profile))) {
    message = "Unable to Save Profile";
    details.push_back("  " + file + ": " + std::strerror(errno));
    profile.reset();
  } else {
    message = "Profile saved to " + file;
    if (!note.empty()) details.push_back("note: " + note);
  }
  const bool saved = profile.has_value();
  if (json) {
    PrintDocument(
        ProfileDocument("save", file, profile ? &*profile : nullptr, saved, message, details));
  } else {
    (saved ? std::cout : std::cerr) << message << '\n';
    for (const std::string& line : details) std::cerr << line << '\n';
  }
  if (polls.interrupt) return InterruptExitStatus();
  return saved ? kExitOk : kExitFailure;
}

int Show(const std::string& file, bool json) {
  std::string error;
  const std::optional<ProfileFile> profile = ReadProfileFile(file, &error);
  if (!profile) return UsageError("profile", error);
  if (json) {
    PrintDocument(ProfileDocument("show", file, &*profile, true, file, {}));
    return kExitOk;
  }
  std::cout << file << '\n';
  for (const std::string& line : DescribeProfile(profile->link)) std::cout << "  " << line << '\n';
  const ProfileNotes& saved = profile->saved;
  if (!saved.date.empty()) std::cout << "saved " << saved.date << " from " << saved.port << '\n';
  if (!saved.server.empty()) std::cout << "  " << saved.server << '\n';
  if (!saved.client.empty()) std::cout << "  " << saved.client << '\n';
  return kExitOk;
}

}  // namespace

std::optional<ProfileFile> ReadProfileFile(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseProfile(text.str(), path, error);
}

int RunProfile(const Arguments& args) {
  if (PrintHelpIfAsked(kProfile, args)) return kExitOk;
  std::vector<std::string> words;
  OperationContext context;
  bool portGiven = false;
  bool json = false;
  const std::string refusal = ParseOptions(
      kProfile, args,
      [&](const OptionSpec& option, const std::string& value) -> std::string {
        if (option.name == kPortOption.name) {
          portGiven = true;
          return TakePortValue(value, context.port);
        }
        auto format = ParseFormat(value);
        if (!format) return std::string(kFormatOption.missing);
        json = *format;
        return "";
      },
      [&](const std::string& argument) -> std::string {
        if (words.size() == 2) return "unexpected argument '" + argument + "'";
        words.push_back(argument);
        return "";
      });
  if (!refusal.empty()) return UsageError("profile", refusal);
  if (words.empty() || (words[0] != "save" && words[0] != "show")) {
    return UsageError("profile", words.empty() ? "say save or show, and the file"
                                               : "'" + words[0] + "' is not save or show");
  }
  if (words.size() < 2) return UsageError("profile", "name the profile file");
  if (words[0] == "show") {
    if (portGiven) return UsageError("profile", "show reads only the file; --port is for save");
    return Show(words[1], json);
  }
  if (!portGiven) return UsageError("profile", "--port is required to save");
  return Save(words[1], context, json);
}

}  // namespace zorveth::cli
