#pragma once

#include <QtGlobal>

#include <memory>
#include <span>

namespace tarvo::platform {

// Connection flag bits, with the values the original connection-state call uses.
namespace connflag {
inline constexpr quint32 Modem = 0x01;
inline constexpr quint32 Lan = 0x02;
inline constexpr quint32 Proxy = 0x04;
inline constexpr quint32 RasInstalled = 0x10;
inline constexpr quint32 Offline = 0x20;
inline constexpr quint32 Configured = 0x40;
} // namespace connflag

// The room the caller gives a connection name: 512 ANSI bytes.
inline constexpr int ConnectionNameBytes = 512;

// Whether the computer has an Internet connection and what it is called.
class IConnectionSource {
public:
    virtual ~IConnectionSource() = default;
    // Writes the flag word (also when not connected) and the connection's name as ANSI
    // (code page 936) bytes into name; a name shorter than the span ends in a NUL, a
    // longer one is cut at the span's size. Returns whether there is a connection.
    virtual bool query(quint32& flags, std::span<char> name) = 0;
};

std::unique_ptr<IConnectionSource> createConnectionSource();

} // namespace tarvo::platform
