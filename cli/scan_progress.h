#pragma once

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace zorveth::cli {

// While a scan runs on a terminal: one line per port on stderr, each
// updated in place as its worker reports ("COM5 (pts/3)  searching 19200
// baud..."), erased when the scan ends so that only the results remain.
// Disabled (a pipe, a file), it writes nothing.
class ScanProgressBoard {
 public:
  ScanProgressBoard(std::vector<std::string> ports, std::ostream& out, bool enabled);
  ~ScanProgressBoard();
  ScanProgressBoard(const ScanProgressBoard&) = delete;
  ScanProgressBoard& operator=(const ScanProgressBoard&) = delete;

  // Safe to call from the scan's workers.
  void Update(std::size_t index, const std::string& status);

 private:
  void Redraw();

  std::mutex m_mutex;
  std::vector<std::string> m_ports;
  std::vector<std::string> m_status;
  std::ostream& m_out;
  bool m_enabled;
  bool m_drawn = false;
};

}  // namespace zorveth::cli
