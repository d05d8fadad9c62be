#pragma once

#include <memory>
#include <optional>
#include <string>

#include "port/network_port.h"
#include "port/radio_port.h"
#include "port/serial_port.h"

namespace zorveth {

// The network address the port map gives COM<number>, if its link names one
// (Linux: ports/COM20 -> rfc2217://10.0.0.5:4001); never on Windows, where
// device servers come with a virtual COM driver of their own.
std::optional<NetworkAddress> NetworkAddressOfComPort(int number);

// The port behind a COM number as the dialogs and the command line name it:
// the serial device, or the network port the port map links the number to.
// Which one is decided at every Open, from the number set then.
class CComPort : public CPortWithParams {
 public:
  std::int16_t Open() override;
  std::int16_t Close() override { return m_active->Close(); }
  std::int16_t Write(const void* data, std::int16_t length) override {
    return m_active->Write(data, length);
  }
  std::int16_t ReadByte(std::uint8_t* byte) override { return m_active->ReadByte(byte); }
  bool Purge() override { return m_active->Purge(); }
  std::string LastOpenError() const override { return m_active->LastOpenError(); }
  OpenFailure LastOpenFailure() const override { return m_active->LastOpenFailure(); }
  bool WriteStalled() const override { return m_active->WriteStalled(); }
  void WakeOn(const CancellationToken* token) override;

 private:
  const CancellationToken* m_wakeOn = nullptr;
  CSerialPort m_serial;
  std::unique_ptr<CNetworkPort> m_network;
  CRadioPort* m_active = &m_serial;
};

}  // namespace zorveth
