#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "link/configure.h"
#include "link/operation_feedback.h"

namespace zorveth::cli {

// --format text|json.
struct FormatOption {
  static constexpr char kHelpLine[] =
      "  --format FORMAT  text (default) or json: one JSON document on stdout\n";

  bool json = false;
  // Takes the current option of the reader if it is --format: true when
  // consumed; sets error on a missing or unknown value.
  bool Take(OptionReader& options, std::string& error);
};

// The results of one operation for scripts (docs/json-output.md). With
// --format json it stands between the operation and the console: failure
// messages and progress still reach stderr as before, while report lines
// and success messages are kept for the one JSON document Print writes on
// stdout. With the text format it passes everything to the console and
// Print writes nothing, so the output stays as it always was.
class JsonResults : public OperationFeedback, public LineSink {
 public:
  JsonResults(const FormatOption& format, std::string command, std::string port,
              ConsoleFeedback& console, std::vector<std::string> successTexts = {});

  // What the operation should report to: this, or the console itself.
  OperationFeedback& Feedback();
  LineSink& Sink();

  // configure: the settings sent, which a radio holds once it accepted
  // them. init: the role asked for.
  void SetSettingsSent(const LinkChoices& choices, const AdvancedSettings& settings);
  void SetRoleRequested(RadioRole role) { m_roleRequested = role; }

  void ShowMessage(const std::string& text) override;
  void BeginWaitCursor() override { m_console.BeginWaitCursor(); }
  void EndWaitCursor() override { m_console.EndWaitCursor(); }
  void Progress(const std::string& text) override { m_console.Progress(text); }
  void TryingSpeed(RadioRole role, std::uint32_t speed) override;
  void RadioAnswered(RadioRole role, std::uint32_t speed) override;
  void RegistersRead(RadioRole role, std::uint32_t speed, const RegisterValues& values) override;
  void LineReplied(RadioRole role, const std::string& reply) override;
  void AppendLine(const std::string& line) override;

  // The document, indented, without a final newline.
  std::string Document() const;
  // Writes the document on stdout when JSON was asked for.
  void Print() const;

 private:
  struct Radio {
    RadioRole role = RadioRole::Server;
    bool answered = false;
    std::optional<std::uint32_t> speed;
    std::optional<RegisterValues> registers;
    std::optional<std::string> reportRole;
    std::optional<std::string> reply;
    std::optional<std::string> message;
  };
  struct SettingsSent {
    std::string line;
    std::int32_t channel = 0;
    std::int32_t packetLength = 0;
    std::int32_t systemId = 0;
    std::int32_t broadcastAttempts = 0;
    std::int32_t speed = 0;
  };
  Radio& RadioFor(RadioRole role);

  bool m_json;
  std::string m_command;
  std::string m_port;
  ConsoleFeedback& m_console;
  std::vector<std::string> m_successTexts;
  std::vector<Radio> m_radios;
  // The radio addressed last, which messages and report lines are about.
  std::optional<RadioRole> m_current;
  std::optional<std::string> m_message;
  bool m_failureShown = false;
  std::optional<SettingsSent> m_settingsSent;
  std::optional<RadioRole> m_roleRequested;
};

// `zorveth-cli ports --format json`: the list entries ("COM3 (ttyUSB0)")
// with the preselected index (-1 for none).
std::string PortsDocument(const std::vector<std::string>& entries, int selected);

}  // namespace zorveth::cli
