#pragma once

#include <windows.h>

#include <string>

namespace zorveth::ui::win32 {

// The tool's texts are single-byte strings in the system's ANSI code page;
// the windows take UTF-16.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// The whole text of a window (control, dialog), converted.
std::string WindowText(HWND window);

}  // namespace zorveth::ui::win32
