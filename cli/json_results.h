#pragma once

// The JSON documents of zorveth-cli (docs/json-output.md): one vocabulary
// for every command, read off the operations' outcomes.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/radio_details.h"
#include "link/outcome.h"

namespace zorveth::cli {

using Json = nlohmann::ordered_json;

// Raised whenever a document changes in a way a script would notice.
inline constexpr int kJsonFormatVersion = 3;

// "text" or "json" in any letter case; nullopt for anything else.
std::optional<bool> ParseFormat(std::string_view value);

// A message as the command showed it, with its detail lines.
struct RenderedMessage {
  std::string text;
  std::vector<std::string> details;
  std::optional<RadioRole> about;
};

// The fields every document starts with: format version, command, success.
Json DocumentHead(std::string_view command, bool success);

// One radio as an operation addressed it.
Json RadioJson(const RadioOutcome& radio, OperationKind kind);
// Each speed of the list at which the port did not open: speed, reason and
// the system's words.
Json SpeedsNotOpenedJson(const std::vector<SpeedTried>& speeds);

// The document of poll, configure or init.
Json OutcomeDocument(std::string_view command, const OperationOutcome& outcome,
                     const OperationContext& context, const std::vector<RenderedMessage>& shown,
                     const std::optional<RenderedMessage>& interrupted);

// Writes a document on stdout. Bytes that are not UTF-8 (a device name, a
// system message in another code page, a garbled reply) are replaced rather
// than fail the document.
void PrintDocument(const Json& document);

// `zorveth-cli ports --format json`: the list entries ("COM3 (ttyUSB0)")
// with the preselected index (-1 for none).
Json PortsDocument(const std::vector<std::string>& entries, int selected);

}  // namespace zorveth::cli
