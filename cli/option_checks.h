#pragma once

// The checks every option of a radio command passes before anything is
// opened or sent. A refusal is one line naming the option, the value as
// given (cut to 40 characters) and what is allowed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorveth::cli {

// The checked value in its canonical spelling, or the reason it was
// refused ("--channel '12x' is not ...").
struct Checked {
  std::string value;
  std::string refusal;
  bool ok() const { return refusal.empty(); }
};

// The value as the user gave it in single quotes, its bytes escaped as the
// wire trace writes them and cut to 40 characters, for refusal lines.
std::string QuotedValue(std::string_view value);

// A whole decimal number from 0 to 65535, blanks around it allowed.
Checked CheckChannel(std::string_view text);
// One of the radios' speeds: 2400, 4800, 9600, 19200 or 38400.
Checked CheckBaud(std::string_view text);
// A technology's name in any letter case, or its first word.
Checked CheckTechnology(std::string_view text);
// client or server in any letter case; the value is lower case.
Checked CheckRole(std::string_view text);

// A serial port the way the user may name it: COM<n> in any letter case, or
// a device of the port list given by its path or name ("/dev/ttyUSB0",
// "ttyUSB0"), which gives its COM name. listed holds the port list's
// entries ("COM33 (ttyUSB0)") and deviceNames the device each one stands
// for, as the system lists them.
struct ListedPort {
  std::string entry;   // as `zorveth-cli ports` shows it
  std::string device;  // the system's name for it, e.g. "/dev/ttyUSB0"
};
Checked CheckPort(std::string_view text, const std::vector<ListedPort>& listed);
// The ports of this machine as the dialog lists them.
std::vector<ListedPort> ListedPorts();

}  // namespace zorveth::cli
