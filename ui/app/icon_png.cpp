// Build-time helper that writes the application icon as files:
//   icon_png <size> <file>   one size as PNG, for the desktop entry
//   icon_png ico <file>      every size as a Windows .ico
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "ui/templates/icon_files.h"
#include "ui/templates/templates.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: icon_png <size>|ico <file>\n";
    return 2;
  }
  const auto& icon = zorveth::ui::ApplicationIcon();
  std::string bytes;
  if (std::string(argv[1]) == "ico") {
    bytes = zorveth::ui::EncodeIco(icon);
  } else {
    const zorveth::ui::IconImage* image = icon.Best(std::atoi(argv[1]));
    if (!image) return 1;
    bytes = zorveth::ui::EncodePng(*image);
  }
  std::ofstream file(argv[2], std::ios::binary);
  file << bytes;
  return file ? 0 : 1;
}
