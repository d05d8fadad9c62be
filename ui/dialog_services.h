#pragma once

#include <functional>
#include <memory>

#include "platform/port_discovery.h"
#include "port/clock.h"
#include "port/radio_port.h"
#include "settings/advanced_settings.h"
#include "trace/wire_log.h"
#include "ui/radio_search.h"
#include "ui/signal_sampling.h"
#include "ui/toolkit/toolkit.h"

namespace zorveth::ui {

// What the dialogs need from outside: the toolkit, the serial ports they
// open, port discovery and the settings file. The program uses the real
// ones; tests swap in fake ports on a fake clock, or a settings file that
// cannot be written.
struct DialogServices {
  explicit DialogServices(Toolkit& toolkitToUse) : toolkit(toolkitToUse) {}
  DialogServices(const DialogServices&) = delete;
  DialogServices& operator=(const DialogServices&) = delete;

  Toolkit& toolkit;
  // A new, closed port object for one dialog or operation, for the port as
  // the user chose it ("COM3", a list entry, "rfc2217://HOST:PORT"; empty
  // before any is chosen).
  std::function<std::unique_ptr<CRadioPort>(const std::string& portName)> createPort;
  // The clock the operations wait on.
  Clock* clock = &SystemClock();
  std::function<int(PortListBox&)> listSerialPorts = [](PortListBox& list) {
    return ListSerialPorts(list);
  };
  std::function<void(PortListBox&)> selectSavedPort = [](PortListBox& list) {
    SelectSavedPort(list);
  };
  std::function<AdvancedSettings()> loadSettings = [] { return LoadAdvancedSettings(); };
  std::function<bool(const AdvancedSettings&)> saveSettings = [](const AdvancedSettings& s) {
    return SaveAdvancedSettings(s);
  };
  // The wire log "Save Wire Log..." writes ('\n' line ends). Called only
  // once the user has chosen a file; empty (or unset): an empty log.
  std::function<std::string()> wireLogText = [] { return std::string(); };
  // Starts the search of "Find Radios..." on the given ports (the port
  // list's entries). Unset, or returning nullptr: nothing is searched.
  std::function<std::unique_ptr<RadioSearch>(const std::vector<std::string>& ports)>
      startRadioSearch;
  // Starts the sampling of "Signal Monitor..." on the port as the user
  // chose it. Unset: on a port of createPort, waiting on the system clock.
  std::function<std::unique_ptr<SignalSampling>(const std::string& port)> startSignalMonitor;
  // Told the name of each radio operation as it starts ("poll both",
  // "configure", "init client"), so the wire log can head its entries.
  std::function<void(const std::string&)> operationStarted = [](const std::string&) {};
  // Keeps the clock alive when the services own it.
  std::unique_ptr<Clock> ownedClock;
  // The trace of the last operations, in memory only, for "Save Wire Log...".
  std::unique_ptr<WireLog> wireLog;
};

// Find Radios on the real ports: every listed port scanned at once on
// workers of its own.
std::unique_ptr<RadioSearch> StartScanOfPorts(const std::vector<std::string>& ports);

// The real services: serial ports on the system clock, which keeps the
// windows repainting while an operation waits for the radios.
std::unique_ptr<DialogServices> MakeSystemServices(Toolkit& toolkit);

}  // namespace zorveth::ui
