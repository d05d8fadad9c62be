#include "cli/scan_progress.h"

namespace zorveth::cli {
namespace {

// Longer lines would wrap on a narrow terminal, and moving back up over
// them would then miss.
constexpr std::size_t kMaxLineLength = 79;

}  // namespace

ScanProgressBoard::ScanProgressBoard(std::vector<std::string> ports, std::ostream& out,
                                     bool enabled)
    : m_ports(std::move(ports)),
      m_status(m_ports.size(), "waiting..."),
      m_out(out),
      m_enabled(enabled && !m_ports.empty()) {
  std::lock_guard lock(m_mutex);
  Redraw();
}

ScanProgressBoard::~ScanProgressBoard() {
  std::lock_guard lock(m_mutex);
  if (!m_enabled || !m_drawn) return;
  // Back to the board's first line, and erase from there down.
  m_out << "\033[" << m_ports.size() << "A\r\033[J" << std::flush;
}

void ScanProgressBoard::Update(std::size_t index, const std::string& status) {
  std::lock_guard lock(m_mutex);
  if (index >= m_status.size() || m_status[index] == status) return;
  m_status[index] = status;
  Redraw();
}

void ScanProgressBoard::Redraw() {
  if (!m_enabled) return;
  if (m_drawn) m_out << "\033[" << m_ports.size() << "A";
  for (std::size_t i = 0; i < m_ports.size(); ++i) {
    std::string line = m_ports[i] + "  " + m_status[i];
    if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
    m_out << "\r\033[K" << line << "\n";
  }
  m_out << std::flush;
  m_drawn = true;
}

}  // namespace zorveth::cli
