#pragma once

#include <QtGlobal>

#include <chrono>

namespace tarvo::platform::web {

// What one navigation may cost: the page, its frames and its images share the time-out.
struct WebPaneLimits {
    std::chrono::milliseconds timeout{15000};
    qint64 maxBytes = qint64(1) << 20; // per document or image
    int maxRedirects = 5;
    int maxFrames = 8;
    int maxImages = 16;
    int maxImageSide = 2048; // pixels; larger images are not decoded
};

} // namespace tarvo::platform::web
