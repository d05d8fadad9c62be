#include "ui/profile_dlg.h"

#include <fstream>
#include <sstream>

#include "settings/atomic_file.h"
#include "ui/templates/templates.h"

namespace zorveth::ui {
namespace {

// The polls' own messages would each pop up; the profile's operations say
// one thing at the end instead. The wait cursor shows as for any operation.
class QuietFeedback : public OperationFeedback {
 public:
  explicit QuietFeedback(Toolkit& toolkit) : m_toolkit(toolkit) {}
  void ShowMessage(const std::string& /*text*/) override {}
  void BeginWaitCursor() override { m_toolkit.BeginWaitCursor(); }
  void EndWaitCursor() override { m_toolkit.EndWaitCursor(); }

 private:
  Toolkit& m_toolkit;
};

SaveFileRequest ProfileRequest(const char* title, bool open) {
  SaveFileRequest request{title, "link.profile", "Link profiles", "*.profile", "profile"};
  request.openExisting = open;
  return request;
}

ApplyOutcome Run(DialogServices& services, CRadioPort& port, const std::string& portName,
                 const LinkProfile& profile, bool checkOnly, const char* operation) {
  services.operationStarted(operation);
  QuietFeedback quiet(services.toolkit);
  ScopedWaitCursor busy(quiet);
  return ApplyProfile(profile, checkOnly, portName, port, *services.clock, quiet);
}

// What a poll that found no radio said, one message a line.
std::string PollFailures(const ApplyOutcome& outcome) {
  std::string text;
  for (const ShownMessage& shown : outcome.messages) {
    text += (text.empty() ? "" : "\n") + std::string(MessageText(shown.id));
  }
  return text.empty() ? "Polling Failed" : text;
}

std::string NotHeld(const ApplyOutcome& outcome) {
  std::string text = "The radios do not hold the profile";
  for (const RadioApply& radio : outcome.radios) {
    const std::string role = RoleName(radio.role);
    if (!radio.after) text += "\n" + role + ": no answer when read back";
    for (const SettingDifference& difference : radio.remaining) {
      text += "\n" + role + ": " + DifferenceWords(difference, false) + ", not " +
              std::to_string(difference.wants);
    }
  }
  return text;
}

}  // namespace

void SaveProfileOfPair(CDialog& owner, DialogServices& services, CRadioPort& port,
                       const std::string& portName) {
  const auto file =
      services.toolkit.AskSaveFileName(owner.Handle(), ProfileRequest("Save Profile", false));
  if (!file) return;  // nothing goes out before the user has chosen a file
  const ApplyOutcome polls = Run(services, port, portName, LinkProfile{}, true, "save profile");
  if (!polls.BothFound()) return owner.MessageBox(PollFailures(polls));
  std::string why, note;
  const auto profile = ProfileFromPair(polls, ProfileDateNow(), &why, &note);
  if (!profile) return owner.MessageBox("Unable to Save Profile\n" + why);
  if (!ReplaceFileAtomically(*file, FormatProfile(*profile))) {
    return owner.MessageBox("Unable to Save Profile\n" + *file);
  }
  owner.MessageBox("Profile saved to " + *file + (note.empty() ? "" : "\nNote: " + note));
}

void ApplyProfileToPair(CDialog& owner, DialogServices& services, CRadioPort& port,
                        const std::string& portName) {
  const auto file =
      services.toolkit.AskSaveFileName(owner.Handle(), ProfileRequest("Apply Profile", true));
  if (!file) return;
  std::ifstream in(*file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string error;
  const auto profile = ParseProfile(text.str(), *file, &error);
  if (!in || !profile) return owner.MessageBox("Unable to Read Profile\n" + error);

  const ApplyOutcome check = Run(services, port, portName, profile->link, true, "apply --check");
  if (!check.BothFound()) return owner.MessageBox(PollFailures(check));
  if (check.Matches()) return owner.MessageBox("Both radios hold the profile");
  CApplyProfileDlg window(services.toolkit, *file, DifferenceLines(check), &owner);
  if (window.DoModal() != kApplyProfileButton) return;

  const ApplyOutcome applied = Run(services, port, portName, profile->link, false, "apply");
  if (!applied.BothFound()) return owner.MessageBox(PollFailures(applied));
  owner.MessageBox(applied.verified ? "Both radios hold the profile now" : NotHeld(applied));
}

CApplyProfileDlg::CApplyProfileDlg(Toolkit& toolkit, std::string file,
                                   std::vector<std::string> differences, CDialog* owner)
    : CDialog(toolkit, ApplyProfileDialogTemplate(), owner),
      m_file(std::move(file)),
      m_differences(std::move(differences)) {}

bool CApplyProfileDlg::InitDialog() {
  Toolkit& toolkit = GetToolkit();
  toolkit.SetControlText(
      Handle(), kApplyProfileText,
      "The radios differ from " + m_file + ". Apply writes the profile to the radios that differ.");
  for (const std::string& line : m_differences) {
    toolkit.ListAppend(Handle(), kApplyProfileList, line);
  }
  return true;
}

bool CApplyProfileDlg::OnCommand(const Command& command) {
  if (IsClick(command, kApplyProfileButton)) {
    EndDialog(kApplyProfileButton);
    return true;
  }
  return CDialog::OnCommand(command);
}

}  // namespace zorveth::ui
