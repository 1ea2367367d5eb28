#pragma once

#include "webprotocol/caps.h"
#include "webprotocol/navigationlimits.h"

#include <QtGlobal>

#include <chrono>

namespace tarvo::webhelper {

// What the document laid out and drawn may hold, whatever the page: enough for any page
// made for a 728 x 90 banner or a 480 x 80 box many times over. They keep the helper's
// own layout small; the window's cost never depended on them, as it only shows pixels.
// A page with frames shares them among itself and its frames.
struct DocumentCaps {
    int elements = 2000;                   // every block, cell or inline element shown
    qsizetype text = webprotocol::MaxText; // characters of text
    int depth = 24;                        // deeper elements are flattened into their parent
    qsizetype markup = 512 * 1024;         // characters, tags and attributes included
    int pictures = 16;                     // distinct pictures
    qint64 pixels = 1 << 22;               // all pictures together: 16 MiB of pixels
    int pictureSide = 2048;                // a larger picture is not decoded

    // One of parts equal shares of the elements, text and markup.
    DocumentCaps share(int parts) const {
        DocumentCaps part = *this;
        part.elements /= parts;
        part.text /= parts;
        part.markup /= parts;
        return part;
    }
};

// What one navigation may cost: the page, its frames and its pictures share the deadline.
struct PageLimits {
    std::chrono::milliseconds timeout = webprotocol::PageTimeout;
    qint64 maxBytes = webprotocol::MaxFetchBytes; // per document or picture
    int maxRedirects = webprotocol::MaxRedirects;
    int maxFrames = webprotocol::MaxFrames;
    DocumentCaps caps;

    // Connections one navigation may need: the page, each frame and each picture, each
    // fetch with all its redirects.
    int connections() const { return (1 + maxFrames + caps.pictures) * (1 + maxRedirects); }
};

} // namespace tarvo::webhelper
