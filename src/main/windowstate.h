#pragma once

#include "stats/cinterface.h"
#include "stats/ciphelper.h"

#include <QString>

#include <array>
#include <memory>

namespace tarvo {

// The main window's state shared by its handlers: plain data, never resized, and the
// window's own (nothing outside form1 reads or writes it).
struct WindowState {
    std::unique_ptr<CIpHelper> ipHelper;
    std::array<qint16, 7> latencyLimits{};
    std::array<QString, 7> latencyMessages;
    // Per bar: 0 latency score, 1 receive rate, 2 send rate, 3 spare.
    std::array<qint16, 4> barTarget{};
    std::array<qint16, 4> barShown{};
    std::array<qint16, 4> barSteps{};
    std::array<bool, 4> barBusy{};
    bool isOnline = false;
    quint32 connFlags = 0;
    QString connName;
    QString connText; // English description of connFlags, rebuilt on each query
    // 64-bit: today's links pass 2^32 bytes within hours.
    qint64 lastRecvBytes = 0;
    qint64 lastSentBytes = 0;
    qint64 recvKB = 0;
    qint64 prevRecvKB = 0;
    qint64 sentKB = 0;
    qint64 prevSentKB = 0;
    bool probeStarted = false;
    // The last sampling tick read the totals: only then is the next difference a rate
    // of one tick (not the totals since boot, nor a whole hidden or offline spell).
    bool sampled = false;
    std::shared_ptr<CInterface> currentInterface; // kept, never read
};

} // namespace tarvo
