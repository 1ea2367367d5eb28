#pragma once

#include "stats/cinterface.h"
#include "stats/ciphelper.h"

#include <QString>

#include <array>
#include <memory>

namespace tarvo {

// The main window's state shared by its handlers: plain data, never resized.
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
    qint32 lastRecvBytes = 0;
    qint32 lastSentBytes = 0;
    qint32 recvKB = 0;
    qint32 prevRecvKB = 0;
    qint32 sentKB = 0;
    qint32 prevSentKB = 0;
    bool probeStarted = false;
    std::shared_ptr<CInterface> currentInterface; // kept, never read
};

} // namespace tarvo
