#include "ui/text_export.h"

#include <filesystem>

#include "settings/atomic_file.h"

namespace zorveth::ui {

std::string JoinLinesForFile(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += NativeLineEnd();
  }
  return text;
}

std::string WithNativeLineEnds(std::string_view text) {
  const std::string_view lineEnd = NativeLineEnd();
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      result += lineEnd;
      ++i;
    } else if (text[i] == '\n') {
      result += lineEnd;
    } else {
      result += text[i];
    }
  }
  return result;
}

bool SaveTextAs(CDialog& dialog, const SaveFileRequest& request,
                const std::function<std::string()>& text, const std::string& failureMessage) {
  const std::optional<std::string> path =
      dialog.GetToolkit().AskSaveFileName(dialog.Handle(), request);
  if (!path || path->empty()) return false;
  // The toolkit's strings are in the platform's narrow encoding, which is
  // what a path built from a std::string expects.
  if (ReplaceFileAtomically(std::filesystem::path(*path), text())) return true;
  dialog.MessageBox(failureMessage + "\n" + *path);
  return false;
}

}  // namespace zorveth::ui
