#include "sim/log_format.h"

#include <cstdio>

namespace zorveth::sim {
namespace {

char RoleLetter(Role role) {
  return role == Role::Client ? 'C' : 'S';
}

std::string CharText(std::uint8_t byte) {
  if (byte == '\r') return "\\r";
  if (byte == '\n') return "\\n";
  if (byte == ' ') return "\\s";
  if (byte > 0x20 && byte < 0x7F) return std::string(1, static_cast<char>(byte));
  return ".";
}

void AppendRadioState(std::string& text, const char* prefix, const RadioConfig& radio) {
  auto line = [&](const char* key, const std::string& value) {
    text += std::string(prefix) + "." + key + " = " + value + "\n";
  };
  line("role", radio.role == Role::Client ? "client" : "server");
  line("powered", radio.powered ? "1" : "0");
  line("speed", std::to_string(radio.speed));
  line("channel", std::to_string(radio.channel));
  line("packet-length", std::to_string(radio.packetLength));
  line("system-id", std::to_string(radio.systemId));
  line("broadcast-attempts", std::to_string(radio.broadcastAttempts));
  line("signal", std::to_string(radio.signalStrength));
  line("revision", std::to_string(radio.firmwareRevision));
}

}  // namespace

std::string FormatLogLine(const LogEntry& entry) {
  const char* direction = entry.fromTool ? "in" : (entry.delivered ? "out" : "lost");
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "%llu %s %u %u 0x%02x ",
                static_cast<unsigned long long>(entry.timeUs), direction,
                static_cast<unsigned>(entry.speed), static_cast<unsigned>(entry.heardBy),
                static_cast<unsigned>(entry.byte));
  std::string line = prefix + CharText(entry.byte) + " ";
  line.push_back(RoleLetter(entry.roles[kServerSlot]));
  line.push_back(RoleLetter(entry.roles[kClientSlot]));
  return line;
}

std::string FormatPairState(const PairConfig& pair) {
  std::string text;
  AppendRadioState(text, "server", pair.server);
  AppendRadioState(text, "client", pair.client);
  return text;
}

}  // namespace zorveth::sim
