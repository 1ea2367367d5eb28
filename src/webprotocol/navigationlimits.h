#pragma once

#include <QtGlobal>

#include <chrono>

namespace tarvo::webprotocol {

// What one navigation may take, written once for the window (which holds the helper to
// the deadline) and the helper (which keeps it, and the rest, itself).
constexpr std::chrono::milliseconds PageTimeout{15000}; // the page, its frames and pictures
constexpr qint64 MaxFetchBytes = qint64(1) << 20;       // per document or picture
constexpr int MaxRedirects = 5;                         // per fetch
constexpr int HttpPort = 80;                            // an address that names no port
} // namespace tarvo::webprotocol
