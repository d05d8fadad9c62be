#include "port/network_port.h"
#include "text/port_names.h"
#include "text/text_compare.h"

namespace zorveth {

bool IsNetworkPortName(std::string_view text) {
  return StartsWithIgnoringCase(text, kNetworkPortScheme);
}

std::optional<NetworkAddress> ParseNetworkPortName(std::string_view text) {
  if (!IsNetworkPortName(text)) return std::nullopt;
  std::string_view rest = text.substr(sizeof kNetworkPortScheme - 1);
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  std::string_view host;
  std::string_view port;
  if (!rest.empty() && rest.front() == '[') {
    // [2001:db8::5]:4001
    auto close = rest.find(']');
    if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
      return std::nullopt;
    host = rest.substr(1, close - 1);
    port = rest.substr(close + 2);
  } else {
    auto colon = rest.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  }
  if (host.empty() || port.empty() || port.size() > 5) return std::nullopt;
  for (char c : host) {
    if (c == '/' || c == ' ' || c == '@' || static_cast<unsigned char>(c) < 0x21)
      return std::nullopt;
  }
  unsigned long number = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned long>(c - '0');
  }
  if (number == 0 || number > 65535) return std::nullopt;
  return NetworkAddress{std::string(host), static_cast<std::uint16_t>(number), std::string(text)};
}

}  // namespace zorveth
