#include "port/com_port.h"

namespace zorveth {

std::int16_t CComPort::Open() {
  // A port still open under the other kind is released first, as an Open
  // on an open port does.
  auto address = NetworkAddressOfComPort(m_portNumber);
  CRadioPort* next = &m_serial;
  if (address) {
    if (!m_network || m_network->Address().url != address->url) {
      if (m_network && m_active == m_network.get()) m_network->Close();
      m_network = std::make_unique<CNetworkPort>(*address);
      m_network->WakeOn(m_wakeOn);
    }
    next = m_network.get();
  }
  if (next != m_active) m_active->Close();
  m_active = next;
  m_active->SetParams(m_portNumber, m_speed);
  return m_active->Open();
}

void CComPort::WakeOn(const CancellationToken* token) {
  m_wakeOn = token;
  m_serial.WakeOn(token);
  if (m_network) m_network->WakeOn(token);
}

}  // namespace zorveth
