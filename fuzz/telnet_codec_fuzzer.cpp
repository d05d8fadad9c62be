// The Telnet and Com Port Control codec against anything a device server
// can send, mixed with data the tool sends. Properties:
// - data sent never carries a protocol byte unescaped: every 0xFF doubled,
//   and outside binary mode every CR followed by NUL;
// - data sent comes out of a decoder in the same mode exactly as it went in,
//   0xFF bytes included;
// - the held data, the events, the answers waiting to go and the answers in
//   all stay within their bounds; only the options the codec supports are
//   ever on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "port/telnet_codec.h"

namespace {

using zorveth::TelnetCodec;
using Side = TelnetCodec::Side;
namespace telnet = zorveth::telnet;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "telnet_codec_fuzzer: %s\n", what);
  std::abort();
}

std::string TakeOutput(TelnetCodec& codec) {
  std::string out = codec.Output();
  codec.ConsumeOutput(out.size());
  return out;
}

void CheckEscaped(const std::string& data, const std::string& escaped, bool binary) {
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(escaped[i]);
    if (byte == telnet::kIac) {
      Check(i + 1 < escaped.size() && static_cast<std::uint8_t>(escaped[i + 1]) == telnet::kIac,
            "a data byte 0xFF went out alone");
      ++i;
    } else if (byte == '\r' && !binary) {
      Check(i + 1 < escaped.size() && escaped[i + 1] == '\0', "a CR went out without its NUL");
      ++i;
    }
  }
  // The server's decoder, in the mode the codec sent in.
  TelnetCodec peer;
  if (binary) {
    const std::uint8_t willBinary[] = {telnet::kIac, telnet::kWill, telnet::kBinary};
    peer.Feed(willBinary, sizeof willBinary);
  }
  peer.Feed(reinterpret_cast<const std::uint8_t*>(escaped.data()), escaped.size());
  std::string decoded;
  while (peer.HasData()) decoded.push_back(static_cast<char>(peer.TakeDataByte()));
  Check(decoded == data, "data sent did not come back as it was");
}

void CheckBounds(TelnetCodec& codec) {
  Check(codec.HeldData() <= TelnetCodec::kMaxHeldData, "held data past its bound");
  Check(codec.Output().size() <= TelnetCodec::kMaxAnswerBacklog + 3, "answers past their bound");
  Check(codec.TakeEvents().size() <= TelnetCodec::kMaxEvents, "events past their bound");
  for (int option = 0; option < 256; ++option) {
    const auto o = static_cast<std::uint8_t>(option);
    const bool ours =
        o == telnet::kBinary || o == telnet::kSuppressGoAhead || o == telnet::kComPortOption;
    const bool server = o == telnet::kBinary || o == telnet::kSuppressGoAhead;
    if (!ours) Check(codec.State(Side::Ours, o) == TelnetCodec::OptionState::No, "unknown on");
    if (!server) Check(codec.State(Side::Server, o) == TelnetCodec::OptionState::No, "unknown on");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  TelnetCodec codec;
  if (input.ConsumeBool()) {
    codec.Ask(Side::Ours, telnet::kComPortOption);
    codec.Ask(Side::Ours, telnet::kBinary);
    codec.Ask(Side::Server, telnet::kBinary);
    codec.Ask(Side::Ours, telnet::kSuppressGoAhead);
    codec.Ask(Side::Server, telnet::kSuppressGoAhead);
  }
  // A server that reads nothing lets the answers pile up.
  const bool serverReads = input.ConsumeBool();
  std::size_t answers = codec.Output().size();
  std::size_t fed = 0;
  if (serverReads) TakeOutput(codec);
  while (input.remaining_bytes() > 0) {
    const auto kind = input.ConsumeIntegralInRange<int>(0, 3);
    const std::string chunk = input.ConsumeRandomLengthString(512);
    if (kind == 0 && codec.Output().empty()) {
      // The tool sends data: only what SendData adds is looked at.
      const bool binary = codec.IsOn(Side::Ours, telnet::kBinary);
      codec.SendData(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
      CheckEscaped(chunk, TakeOutput(codec), binary);
      continue;
    }
    const std::size_t before = codec.Output().size();
    codec.Feed(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size());
    fed += chunk.size();
    answers += codec.Output().size() - std::min(before, codec.Output().size());
    // At most one answer of three bytes per command of three bytes: no
    // loop of our own making.
    Check(answers <= fed + 15, "more answers than requests");
    CheckBounds(codec);
    if (kind == 2) {
      while (codec.HasData()) codec.TakeDataByte();
    }
    if (serverReads) TakeOutput(codec);
  }
  return 0;
}
