#pragma once

// The name lookup of a TCP connect, in a worker thread so that a slow
// resolver neither outlasts the connect's deadline nor ignores an interrupt.
// The system's resolver cannot be stopped: a lookup nobody waits for any
// more runs on in its thread and frees its own answer. Included by the
// platform's connection file after the system's socket headers.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "port/cancellation.h"
#include "port/tcp_connection.h"

namespace zorveth {

struct TcpConnection::Lookup {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool abandoned = false;
  int status = 0;
  addrinfo* addresses = nullptr;
};

namespace lookup {

inline std::shared_ptr<TcpConnection::Lookup> Start(const std::string& host, std::uint16_t port) {
  auto lookup = std::make_shared<TcpConnection::Lookup>();
  auto resolve = [lookup, host, service = std::to_string(port)] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses);
    std::lock_guard lock(lookup->mutex);
    if (lookup->abandoned) {
      if (addresses) freeaddrinfo(addresses);
      return;
    }
    lookup->status = status;
    lookup->addresses = addresses;
    lookup->done = true;
    lookup->finished.notify_all();
  };
  try {
    std::thread(resolve).detach();
  } catch (const std::system_error&) {
    resolve();  // no thread to be had: the lookup takes the resolver's time
  }
  return lookup;
}

// Takes the answer once there is one: true with addresses (nullptr and
// status set when the lookup failed).
inline bool Take(TcpConnection::Lookup& lookup, addrinfo*& addresses, int& status) {
  std::lock_guard lock(lookup.mutex);
  if (!lookup.done) return false;
  addresses = lookup.addresses;
  status = lookup.status;
  lookup.addresses = nullptr;
  return true;
}

// Waits for the answer up to timeoutMs, looking at the token every few
// milliseconds (a resolver has no handle to wait on together with it).
inline void Wait(TcpConnection::Lookup& lookup, std::uint32_t timeoutMs,
                 const CancellationToken* token) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock lock(lookup.mutex);
  while (!lookup.done && !(token && token->IsCancelled())) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return;
    lookup.finished.wait_for(lock, std::min<std::chrono::steady_clock::duration>(
                                       deadline - now, std::chrono::milliseconds(10)));
  }
}

// Nobody waits for the answer any more: it is freed now or when it comes.
inline void Abandon(const std::shared_ptr<TcpConnection::Lookup>& lookup) {
  if (!lookup) return;
  std::lock_guard lock(lookup->mutex);
  lookup->abandoned = true;
  if (lookup->addresses) freeaddrinfo(lookup->addresses);
  lookup->addresses = nullptr;
}

}  // namespace lookup

inline std::optional<NetworkChannel::Progress> TcpConnection::FromLookup() {
  addrinfo* addresses = nullptr;
  int status = 0;
  if (!lookup::Take(*m_lookup, addresses, status)) return Progress::Connecting;
  m_lookup.reset();
  if (status != 0 || addresses == nullptr) {
    m_error = LookupErrorText(status);
    return Progress::Failed;
  }
  m_addresses = m_next = addresses;
  if (!TryNextAddress()) return Progress::Failed;
  return std::nullopt;
}

}  // namespace zorveth
