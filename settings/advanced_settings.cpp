#include "settings/advanced_settings.h"

namespace zorveth {

// Placeholder until the INI document lands: defaults only.
AdvancedSettings LoadAdvancedSettings() { return {}; }
bool SaveAdvancedSettings(const AdvancedSettings&) { return false; }

}  // namespace zorveth
