#pragma once

#include "webprotocol/navigationlimits.h"

#include <QString>
#include <QtGlobal>

#include <chrono>

namespace tarvo::platform::webpane {

// One navigation runs in a helper process of its own (tarvo-web; see helperProgram):
// fetching and parsing a page from the network is the one thing Tarvo does with input
// anybody on the path can write, and only a process can be stopped inside a parser.
struct WebPaneLimits {
    // The page's deadline; the helper is killed if it is still running a moment later.
    std::chrono::milliseconds timeout = webprotocol::PageTimeout;
    std::chrono::milliseconds grace{2000};
    // What the helper may use: the maker's pages need a small part of either.
    int cpuSeconds = 5;
    // 0: no address-space limit, for builds under sanitizers (they reserve terabytes).
    qint64 memoryBytes = qint64(TARVO_HELPER_MEMORY_MIB) << 20;
    QString helper; // empty: tarvo-web where helperProgram finds it
};

} // namespace tarvo::platform::webpane
