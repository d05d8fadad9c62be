#include "fuzz/fuzz_port.h"

#include <cstdio>
#include <cstdlib>

namespace zorveth::fuzz {
namespace {

// Every wait in the code under test ends at a deadline on the clock, and
// every read moves the clock; no input can justify this many reads.
constexpr std::size_t kReadLimit = 10'000'000;

}  // namespace

std::int16_t FuzzPort::Open() {
  if (m_open) ++m_misordered;
  bool fails = m_failOpens || (m_opens < 8 && (m_failMask >> m_opens & 1) != 0);
  ++m_opens;
  m_open = true;
  return fails ? kPortOpenFailed : kPortOk;
}

std::int16_t FuzzPort::Close() {
  if (!m_open) {
    ++m_misordered;
    return kPortCloseFailed;
  }
  m_open = false;
  return kPortOk;
}

std::int16_t FuzzPort::Write(const void* data, std::int16_t length) {
  if (length < 0) {
    std::fprintf(stderr, "FuzzPort: Write with negative length %d\n", length);
    std::abort();
  }
  if (!m_open) ++m_misordered;
  m_written.append(static_cast<const char*>(data), static_cast<std::size_t>(length));
  m_exchanges.emplace_back();
  return kPortOk;
}

std::int16_t FuzzPort::ReadByte(std::uint8_t* byte) {
  if (++m_reads > kReadLimit) {
    std::fprintf(stderr, "FuzzPort: more than %zu reads; a wait does not end\n", kReadLimit);
    std::abort();
  }
  if (!m_open) ++m_misordered;
  if (m_position >= m_size || m_data[m_position] == kSilence) {
    if (m_position < m_size) ++m_position;
    m_clock.Advance(kReadTimeoutMs);
    return 0;
  }
  *byte = m_data[m_position++];
  m_clock.Advance(1);
  m_exchanges.back().push_back(static_cast<char>(*byte));
  return 1;
}

}  // namespace zorveth::fuzz
