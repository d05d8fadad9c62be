#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"

namespace zorveth::ui {

// The line end of text files users open with the platform's own tools:
// CR LF on Windows, LF elsewhere (defined by the platform's source file).
const char* NativeLineEnd();

// Every line followed by the native line end.
std::string JoinLinesForFile(const std::vector<std::string>& lines);
// Text with '\n' line ends (a lone CR LF is kept as it is) given native ones.
std::string WithNativeLineEnds(std::string_view text);

// Asks with the platform's save-file dialog (owned by dialog) where to
// save, then writes what text() returns there, whole or not at all. A
// failed write is told in a message box: failureMessage, then the path.
// Nothing is asked for or written when the user cancels. True when saved.
bool SaveTextAs(CDialog& dialog, const SaveFileRequest& request,
                const std::function<std::string()>& text, const std::string& failureMessage);

}  // namespace zorveth::ui
