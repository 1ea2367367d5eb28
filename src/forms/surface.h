#pragma once

#include "forms/colour.h"
#include "forms/font.h"
#include "forms/gdi.h"
#include "forms/picture.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

namespace tarvo::forms {

// The retained-image drawing surface of a picture box, user control or form: what is
// drawn stays until Cls and is shown when the surface is presented. It knows nothing of
// widgets, so drawing routines can be tested on it without a screen.
class Surface final {
public:
    explicit Surface(QSize pixels = {});

    QSize size() const { return m_image.size(); }
    int scaleWidth() const { return m_image.width(); }
    int scaleHeight() const { return m_image.height(); }
    // Keeps what is drawn at the top left; new area shows the background.
    void resize(QSize pixels);

    OleColor backColor() const { return m_backColor; }
    void setBackColor(OleColor colour); // clears, as the original does
    const Picture& picture() const { return m_picture; }
    void setPicture(Picture picture); // background picture; clears
    const Font& font() const { return m_font; }
    void setFont(Font font);
    OleColor foreColor() const { return m_foreColor; }
    void setForeColor(OleColor colour);

    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }

    // Clears to the back colour and background picture; text position back to 0, 0.
    void cls();
    // Draws text at the text position in the surface font and fore colour (transparent
    // background), then moves to the start of the next line.
    void print(const QString& text);
    double textWidth(const QString& text) const;
    double textHeight(const QString& text) const; // one line for an empty string
    // Draws a line in the given colour; the end point is not drawn.
    void line(QPoint from, QPoint to, OleColor colour);
    // Copies the part src of the picture to dest, cut, not scaled.
    void paintPicture(const Picture& picture, QPoint dest, const QRect& src);

    // Direct access for the device-context primitives; mark what they changed. Asked for
    // again after a scroll: the rows outside the scrolled band follow only when asked.
    QImage& image() {
        prepareToDraw();
        return m_image;
    }
    // For reading: a palette image while the surface is kept compact or shows a palette
    // picture in place (QPainter and drawPart take either).
    const QImage& image() const {
        settle();
        return m_image;
    }
    // The same image for reading or drawing inside area only: rows outside it may still
    // wait to follow the scrolls of a band (see scroll), which costs nothing until read.
    QImage& imageOf(const QRect& area);
    const QImage& imageOf(const QRect& area) const;
    // The pixels of area, raw, for code that runs every frame: reaching them never
    // places the image again after a scroll. bits is the image's top left; rows outside
    // area may lag as for imageOf. A write is marked as for image().
    struct Pixels {
        uchar* bits = nullptr;
        qsizetype bytesPerLine = 0;
        QImage::Format format = QImage::Format_Invalid;
    };
    struct ConstPixels {
        const uchar* bits = nullptr;
        qsizetype bytesPerLine = 0;
        QImage::Format format = QImage::Format_Invalid; // a palette image's too
    };
    Pixels pixelsOf(const QRect& area);
    ConstPixels pixelsOf(const QRect& area) const;
    QFont qfont() const;
    void markDirty(const QRect& rect);
    void markAllDirty();
    // The caller has moved the pixels of rect by dx, dy in the image (a scroll). With a
    // scroll presenter the next present moves what is shown and repaints only the
    // uncovered part; without one the whole rect is presented as changed.
    void markScrolled(const QRect& rect, int dx, int dy);
    // What a scroll leaves in the part it uncovers.
    enum class Uncovered {
        Kept,      // its old pixels, as after a block copy of the rect onto itself
        Repainted, // anything: the caller paints it before the next present
    };
    // Moves the pixels of rect by dx, dy and marks the move as markScrolled does. A
    // leftward scroll across the whole width moves where the image starts in a wider
    // store instead of the pixels, so a scrolling graph costs its new strip, not its area;
    // the rows above and below the band follow only when something reads or draws them.
    void scroll(const QRect& rect, int dx, int dy, Uncovered uncovered = Uncovered::Kept);
    // Counts every change marked on the surface, so that a routine that presents its own
    // drawing incrementally can tell whether anyone else drew in between.
    quint64 changeCount() const { return m_changes; }

    // Present: hands what changed since the last present to the presenter (a widget):
    // first a pending scroll to the scroll presenter, then the changed region.
    void refresh();
    // For a surface drawn on now and then (the window's texture, a box of text): after
    // each present its pixels are kept as a palette image while they have few colours,
    // a quarter of the memory or less; drawing turns them back first.
    void setKeptCompact(bool compact);
    void setPresenter(std::function<void(const QRegion&)> presenter);
    void setScrollPresenter(std::function<void(const QRect&, int dx, int dy)> presenter);

private:
    void paintBackground(const QRect& area);
    // An opaque background picture at least as large as the surface is shown from its
    // own pixels until something draws: a placeholder that never changes holds no copy.
    bool showPictureInPlace(QSize pixels);
    bool showsPictureInPlace() const;
    void scrollByOrigin(const QRect& rect, int step, Uncovered uncovered);
    void adoptStore();
    void settle() const {
        if (m_lagging)
            settleRows();
        if (m_viewStale)
            placeView();
    }
    void settleRows() const;
    void prepareToDraw() {
        settle();
        unpack();
    }
    void unpack();
    void pack();
    void placeView() const;
    uchar* storeAt(int row, int column) const;

    struct Scroll {
        QRect rect;
        int dx = 0;
        int dy = 0;
    };

    // Mutable for the view, which is placed again after scrolls only when first read.
    mutable QImage m_image;
    // Once the surface scrolls leftward, m_image is a view onto this wider store from
    // column m_origin; the store is shared with copies of the view that callers hold.
    // After a scroll by origin the view still lies where it was until settled.
    std::shared_ptr<QImage> m_store;
    int m_origin = 0;
    // While lagging, the rows outside the band [m_bandTop, m_bandBottom] that scrolls
    // move are still at store column m_keptOrigin.
    mutable bool m_lagging = false;
    mutable bool m_viewStale = false;
    int m_keptOrigin = 0;
    int m_bandTop = 0;
    int m_bandBottom = -1;
    OleColor m_backColor = syscolour::ButtonFace;
    OleColor m_foreColor = syscolour::ButtonText;
    Picture m_picture;
    Font m_font;
    QFont m_qfont;         // m_font resolved once, not per text output
    QRegion m_wholeRegion; // the whole image, shared into m_dirty without allocating
    double m_currentX = 0;
    double m_currentY = 0;
    QRegion m_dirty;
    std::optional<Scroll> m_scroll; // at most one scroll waits for the next present
    quint64 m_changes = 0;
    bool m_keptCompact = false;
    std::function<void(const QRegion&)> m_presenter;
    std::function<void(const QRect&, int, int)> m_scrollPresenter;
};

} // namespace tarvo::forms
