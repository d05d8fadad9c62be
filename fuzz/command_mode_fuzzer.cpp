// The command-mode primitives against replies from the fuzzer: any sequence
// of bytes and silences a radio (or line noise) can produce. Every call must
// end by its deadline on the clock, keep its line framing, and a query must
// give either 0xFFFF or the value of a complete reply the port delivered:
// one or more decimal digits followed by exactly "\n\r".
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_port.h"
#include "link/command_mode.h"

namespace {

using zorveth::fuzz::FuzzClock;
using zorveth::fuzz::FuzzPort;

// A read that times out lets this much time pass; a deadline can be
// overshot by at most one read.
constexpr std::uint64_t kSlackMs = FuzzPort::kReadTimeoutMs;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "command_mode_fuzzer: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// The value of a register reply "<digits>\n\r", modulo 65536 as the radios'
// 16-bit registers are; -1 when the line is no such reply.
long ReplyValue(const std::string& line) {
  if (line.size() < 3 || line.compare(line.size() - 2, 2, "\n\r") != 0) return -1;
  long value = 0;
  for (std::size_t i = 0; i + 2 < line.size(); ++i) {
    if (line[i] < '0' || line[i] > '9') return -1;
    value = (value * 10 + (line[i] - '0')) % 65536;
  }
  return value;
}

// Whether value is that of a complete reply line in one of the exchanges.
bool IsReceivedReply(const FuzzPort& port, std::uint16_t value) {
  for (const std::string& exchange : port.Exchanges()) {
    std::size_t start = 0;
    for (std::size_t end = exchange.find('\r'); end != std::string::npos;
         start = end + 1, end = exchange.find('\r', start)) {
      if (ReplyValue(exchange.substr(start, end - start + 1)) == value) return true;
    }
  }
  return false;
}

// ReadLine's framing: it stops right after the first carriage return or
// reads on to its deadline, and returns what came up to a NUL, at most 51
// characters.
void CheckLine(const std::string& line, const std::string& received) {
  std::size_t cr = received.find('\r');
  Check(cr == std::string::npos || cr + 1 == received.size(),
        "ReadLine read past the end of the line");
  std::string expected = received.substr(0, zorveth::kReplyLineCapacity);
  expected = expected.substr(0, expected.find('\0'));
  Check(line == expected, "ReadLine returned other bytes than it read");
}

void PrintBytes(const std::string& bytes) {
  std::fputs("  \"", stderr);
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      std::fputc(c, stderr);
    } else {
      std::fprintf(stderr, "\\x%02X", c);
    }
  }
  std::fputs("\"\n", stderr);
}

const char* const kRegisters[] = {"C", "FP", "M", "ID", "BA", "S", "REV"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The calls to make come from the end of the input, the port's bytes
  // from the front.
  FuzzedDataProvider calls(data, size);
  std::size_t callCount = calls.ConsumeIntegralInRange<std::size_t>(1, 8);
  std::string plan;
  for (std::size_t i = 0; i < callCount; ++i) plan.push_back(calls.ConsumeIntegral<char>());
  std::vector<std::uint8_t> replies = calls.ConsumeRemainingBytes<std::uint8_t>();

  FuzzClock clock;
  FuzzPort port(replies.data(), replies.size(), clock);
  port.Open();
  for (char step : plan) {
    auto selector = static_cast<unsigned char>(step);
    // Time-outs from 0 up to 4 s, as the operations use.
    std::uint32_t timeoutMs = (selector >> 3) * 130u;
    std::uint64_t start = clock.NowMs();
    std::size_t written = port.Written().size();
    port.ClearExchanges();
    switch (selector % 5) {
      case 0: {
        auto role = selector & 8 ? zorveth::RadioRole::Client : zorveth::RadioRole::Server;
        bool entered = zorveth::EnterCommandMode(port, clock, role, timeoutMs);
        Check(port.Written().substr(written) == zorveth::EscapeString(role),
              "EnterCommandMode wrote other bytes than the escape");
        const std::string& received = port.ReceivedSinceWrite();
        if (entered) {
          Check(!received.empty() && received.front() == '-', "prompt taken without its '-'");
          std::size_t crs = 0;
          for (char c : received) crs += c == '\r';
          Check(crs == 4 && received.back() == '\r', "prompt taken without four CRs");
        }
        Check(clock.NowMs() - start <= timeoutMs + zorveth::kPromptCompletionMs + 2 * kSlackMs,
              "EnterCommandMode waited past its deadlines");
        break;
      }
      case 1: {
        bool prompt = zorveth::WaitForPrompt(port, clock, timeoutMs);
        const std::string& received = port.ReceivedSinceWrite();
        if (prompt) {
          Check(!received.empty() && received.front() == '-', "prompt taken without its '-'");
          std::size_t crs = 0;
          for (char c : received) crs += c == '\r';
          Check(crs == 4 && received.back() == '\r', "prompt taken without four CRs");
        }
        Check(clock.NowMs() - start <= timeoutMs + zorveth::kPromptCompletionMs + 2 * kSlackMs,
              "WaitForPrompt waited past its deadlines");
        break;
      }
      case 2: {
        std::string line = zorveth::ReadLine(port, clock, timeoutMs);
        CheckLine(line, port.ReceivedSinceWrite());
        Check(clock.NowMs() - start <= timeoutMs + kSlackMs, "ReadLine waited past its deadline");
        break;
      }
      case 3: {
        bool left = zorveth::LeaveCommandMode(port, clock, timeoutMs);
        Check(port.Written().substr(written) == "ATE\r", "LeaveCommandMode wrote other bytes");
        Check(left == (port.ReceivedSinceWrite() == "ATE\n\r"),
              "LeaveCommandMode judged the confirmation wrongly");
        Check(clock.NowMs() - start <= timeoutMs + kSlackMs,
              "LeaveCommandMode waited past its deadline");
        break;
      }
      default: {
        const std::string name = kRegisters[(selector >> 3) % 7];
        std::uint16_t value = zorveth::QueryValue(port, clock, name);
        if (value != zorveth::kQueryFailed && !IsReceivedReply(port, value)) {
          std::fprintf(stderr, "value %u; received per attempt:\n", value);
          for (const std::string& exchange : port.Exchanges()) PrintBytes(exchange);
          Fail("QueryValue returned a value no complete reply carried");
        }
        // Three attempts, each a reply line and perhaps an echo line first.
        Check(clock.NowMs() - start <=
                  zorveth::kQueryAttempts * 2 * (zorveth::kQueryReplyTimeoutMs + kSlackMs),
              "QueryValue waited past its deadlines");
        break;
      }
    }
  }
  port.Close();
  return 0;
}
