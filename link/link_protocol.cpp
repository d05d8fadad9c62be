#include "link/link_protocol.h"

namespace zorveth {

std::vector<std::string> TechnologyChannels(std::string_view technology) {
  if (technology == kVorlithTechnology) return {"67", "68", "69", "70", "71", "72", "73", "74"};
  if (technology == kDunmereTechnology) return {"53", "56", "57", "60", "61", "64", "65", "66"};
  constexpr int kOtherChannelCount = 77;
  std::vector<std::string> channels;
  for (int channel = 0; channel < kOtherChannelCount; ++channel) {
    channels.push_back(std::to_string(channel));
  }
  return channels;
}

}  // namespace zorveth
