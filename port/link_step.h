#pragma once

#include <cstdint>
#include <string_view>

namespace zorveth {

// The radio an exchange addresses. The values are the codes the radios use
// for their role in register "M" and in the initialization line.
enum class RadioRole : int { Server = 1, Client = 2 };

// What the link protocol is doing on a port, as the command-mode primitives
// tell it: a port in between (the wire trace, the interrupt handling) learns
// the protocol's state from these, never from the bytes passing through.
enum class LinkStepKind : std::uint8_t {
  Escape,         // a radio's escape is about to go out (role)
  PromptSeen,     // the radio answered its escape with the prompt (role)
  Query,          // a register query is about to go out (name: the register)
  LineStarted,    // a settings line begins (name: "configuration line", ...);
                  // once begun it goes out whole
  LineSent,       // the last byte of that line has gone out
  Exit,           // the exit command "ATE\r" is about to go out
  ExitConfirmed,  // the radio confirmed the exit: out of command mode
};

struct LinkStep {
  LinkStepKind kind = LinkStepKind::Escape;
  RadioRole role = RadioRole::Server;  // for Escape and PromptSeen
  std::string_view name;               // for Query and LineStarted; static text
};

}  // namespace zorveth
