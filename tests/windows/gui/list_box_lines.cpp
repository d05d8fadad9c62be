// list-box-lines <window title> <control id>: prints the lines of a list box
// of another program's window, one per line, so a test can read what the
// dialog shows. Exit status 1 when the window or the control is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: list-box-lines <window title> <control id>\n");
    return 2;
  }
  HWND window = FindWindowA(nullptr, argv[1]);
  HWND list = window ? GetDlgItem(window, std::atoi(argv[2])) : nullptr;
  if (list == nullptr) {
    std::fprintf(stderr, "list-box-lines: no control %s in a window \"%s\"\n", argv[2], argv[1]);
    return 1;
  }
  // The dialog's list holds wide strings; across processes only the wide
  // messages give a buffer of the size asked for.
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length == LB_ERR) return 1;
    std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
    line.resize(wcslen(line.c_str()));
    std::string text(line.size() * 2 + 1, '\0');
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), text.data(),
                            static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    std::printf("%s\n", text.c_str());
  }
  return 0;
}
