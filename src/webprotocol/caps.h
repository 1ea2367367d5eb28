#pragma once

#include <QSize>
#include <QtGlobal>

#include <algorithm>

namespace tarvo::webprotocol {

// What the helper sends about one page, at most; the window's reader takes nothing more.
// The picture is the page drawn at the pane's width: never wider than the pane, never
// taller than HeightInPanes pane heights (what lies further down is not drawn), and never
// more than MaxPicturePixels device pixels, whatever pane the window asks for.
constexpr int HeightInPanes = 4;
constexpr int MaxPaneSide = 1024;                    // logical pixels, either way
constexpr int MaxPixelRatio = 2;                     // a denser screen gets the picture scaled up
constexpr qint64 MaxPicturePixels = qint64(1) << 21; // 8 MiB at four bytes a pixel
constexpr int MaxLinks = 256;                        // link areas: one per line a link spans
constexpr qsizetype MaxUrl = 2048;                   // characters of any address sent
constexpr qsizetype MaxLinkText = 200;               // characters of a link area's text
constexpr int MaxFrames = 8;                         // frames fetched and reported, one level
constexpr qsizetype MaxText = 64 * 1024;             // characters of the page's plain text
constexpr qsizetype MaxInnerHtml = 1 << 20;          // characters of the document's innerHTML
constexpr qsizetype MaxReason = 200;                 // characters of why a page failed

// A pane's size and pixel ratio as the helper is allowed to take them.
inline QSize boundedPane(QSize pane) {
    return {std::clamp(pane.width(), 1, MaxPaneSide), std::clamp(pane.height(), 1, MaxPaneSide)};
}
inline int boundedRatio(qreal ratio) {
    return std::clamp(int(ratio + 0.5), 1, MaxPixelRatio);
}

// The largest picture, in device pixels, for a pane of this size and ratio.
inline QSize maxPicture(QSize pane, qreal ratio) {
    const QSize logical = boundedPane(pane);
    const int scale = boundedRatio(ratio);
    const int width = logical.width() * scale;
    const qint64 rows = std::min<qint64>(qint64(logical.height()) * HeightInPanes * scale,
                                         MaxPicturePixels / width);
    return {width, int(rows)};
}

// The largest message for such a pane: the picture, every link at its longest, the text,
// the innerHTML (UTF-16 in the stream) and a little framing.
inline qint64 maxMessage(QSize pane, qreal ratio) {
    const QSize picture = maxPicture(pane, ratio);
    return 4096 + qint64(picture.width()) * picture.height() * 4 +
           MaxLinks * (64 + 2 * MaxUrl + 2 * MaxLinkText) + 2 * MaxText + 2 * MaxInnerHtml;
}

} // namespace tarvo::webprotocol
