#pragma once
// The hub's listening socket: accepts connections on all local addresses and
// hands each one to CYarrowServ::ProcessPendingAccept.

#include <string>

namespace yarrow {

class IHubListener {
  public:
    virtual ~IHubListener() = default;
    // Starts listening on `port` (0: any free port) on every local address.
    // On failure fills the system's error text (code page 932) and code.
    virtual bool Listen(int port, std::string& errorText, int& errorCode) = 0;
    virtual void StopListening() = 0;
    // The port actually listened on, or 0 when not listening.
    virtual int Port() const = 0;
};

}  // namespace yarrow
