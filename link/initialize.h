#pragma once

#include <cstdint>
#include <string>

#include "link/command_mode.h"
#include "link/configure.h"
#include "link/operation_feedback.h"
#include "link/outcome.h"
#include "port/radio_port.h"
#include "settings/advanced_settings.h"

namespace zorveth {

// The initialization line: the long form for kVorlithTechnology (compared
// exactly), the short form for every other technology text.
std::string BuildInitializationLine(bool vorlithForm, std::int32_t channel,
                                    const AdvancedSettings& settings, RadioRole role,
                                    std::int32_t newBaudRate);

inline constexpr std::uint32_t kInitPromptMs = 200;

// Gives the one radio that is switched on the chosen role and the link
// settings, after the user has confirmed. The port is the operation's own,
// closed on every path. The outcome has an entry for each role the radio
// was addressed as (Client first); the one it answered carries the line.
OperationOutcome InitializeRadio(RadioRole role, const LinkChoices& choices,
                                 const AdvancedSettings& settings, CRadioPort& port, Clock& clock,
                                 OperationFeedback& feedback);

}  // namespace zorveth
