#pragma once
// The operating system's view of the Internet connection, and the way to end it.
#include <cstdint>

namespace lt {

// Flags of the connected state: 1 modem, 2 LAN, 4 proxy, 8 modem busy.
enum ConnectionFlag : std::uint32_t {
    kFlagModem = 1,
    kFlagLan = 2,
    kFlagProxy = 4,
    kFlagModemBusy = 8,
};

struct ConnectionState {
    bool online = false;
    std::uint32_t flags = 0;
};

class ConnectionProbe {
  public:
    virtual ~ConnectionProbe() = default;
    // Called once a second: must be cheap.
    virtual ConnectionState query() = 0;
};

class ConnectionCutter {
  public:
    virtual ~ConnectionCutter() = default;
    // Ends the connections that carry the Internet link; returns how many were ended
    // (0 when there was nothing this program could end).
    virtual int hangUp() = 0;
};

}  // namespace lt
