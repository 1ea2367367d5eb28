#pragma once

#include "forms/gdi.h"
#include "forms/surface.h"

#include <QFont>
#include <QImage>
#include <QLocale>
#include <QString>

#include <array>
#include <span>

namespace tarvo {

// The scrolling traffic graph of the main window. Everything is drawn into an
// off-screen bitmap a little wider than the box; the box only ever receives block
// copies of it, and while nobody else draws on it, it scrolls its own pixels and
// receives only the strip that came in. Every call scrolls by `step` pixels; every
// eleventh call draws a new ten-pixel piece of each line at the bitmap's right edge,
// just outside the visible part, so that it scrolls into view.
//
// The bitmap lives in a wider store and is a view onto it from a moving origin: a
// scroll of the graph rows is a move of the origin plus the few columns at the right
// edge that a block copy onto itself leaves in place, and the whole bitmap moves back
// only when the origin runs out of room. The header rows, which never scroll, follow
// the origin only when something reads or draws them.
class TrafficGraph final {
public:
    static constexpr int LineCount = 3;
    static constexpr int HeaderHeight = 20;
    static constexpr int PieceLength = 10;
    static constexpr int Margin = 13;        // bitmap columns beyond the box's width
    static constexpr int CallsPerPiece = 11; // one drawing call in this many
    static constexpr int LabelHeight = 15;
    static constexpr int LabelPoints = 9;

    static const QColor HeaderColour;
    static const QColor BackgroundColour;
    static const QColor GridColour;
    static const QColor TextColour;
    static const std::array<QColor, LineCount> LineColours; // bandwidth, download, upload

    // The welcome text and legend shown on the first call.
    static QString welcomeText();

    // The label written beside line `line` when it has moved; empty for none.
    static QString labelText(int line, std::span<const float> ratios,
                             std::span<const qint16> values, const QLocale& locale = QLocale());

    // One tick: scroll, on every eleventh call draw the pieces first, copy to the box.
    // A coordinate that cannot be computed (overflow, not a number) raises a
    // runtime::RuntimeError; what was drawn up to there stays.
    void draw(forms::Surface& pic, qint16 step, std::span<const float> ratios,
              std::span<const qint16> values);

    bool initialised() const { return m_initialised; }
    // The bitmap as drawn so far (a copy, kept until the next call).
    const QImage& bitmap() const;
    qint32 tickCounter() const { return m_tick; }

private:
    struct Point {
        qint32 x = 0;
        qint32 y = 0;
    };

    void initialise(forms::Surface& pic, qint16 step);
    void drawPiece(forms::Surface& pic, int line, std::span<const float> ratios,
                   std::span<const qint16> values);
    void drawGridMarks(const forms::Surface& pic);
    void scrollAndShow(forms::Surface& pic, qint16 step, bool drew);
    // Copies the bitmap's columns of strip from the store into the box at the same place.
    void copyStrip(forms::Surface& pic, const QRect& strip);
    // Scrolls the graph rows by moving the origin; false where only the plain block
    // copy gives the same pixels (a step below one, rows left unscrolled).
    bool scrollByOrigin(int w, int h, qint16 step);
    void placeBitmap();
    // The bitmap placed at the current origin, for drawing on it or reading it whole.
    QImage& bitmapView();
    void syncHeader();
    void compact();
    uchar* storeAt(int row, int column);
    void moveRows(int top, int bottom, int fromColumn, int toColumn);
    // Copies the header rows to the box unless it shows them already.
    void copyHeader(forms::Surface& pic);
    void noteDrawnFrom(int top); // something was drawn from row `top` down
    // Remembers what the box shows now, so the next call can present a scroll.
    void noteShown(const forms::Surface& pic);

    bool m_initialised = false;
    QImage m_store;         // the bitmap's pixels, with room for its origin to move right
    QImage m_bitmap;        // the bitmap: a view onto the store from m_bitmapOrigin
    int m_bitmapOrigin = 0; // where m_bitmap was placed; scrolls move m_origin only
    int m_origin = 0;       // store column of the bitmap's column 0
    int m_headerOrigin = 0; // where the header rows are, behind m_origin until needed
    int m_room = 0;         // how far the origin may move before the bitmap moves back
    mutable QImage m_snapshot;
    mutable bool m_snapshotStale = true;
    std::array<forms::gdi::Pen, 5> m_pens;
    QColor m_headerBrush;
    QColor m_backgroundBrush;
    qint32 m_tick = 0;
    std::array<Point, LineCount> m_current;
    std::array<Point, LineCount> m_previous;
    forms::gdi::Rect m_headerRect;
    forms::gdi::Rect m_graphRect;
    forms::gdi::Rect m_labelRect;
    QFont m_currentFont; // the memory context's font: its default until the first label
    // The box as this graph last presented it; any other change to it since means the
    // next call repaints the box instead of scrolling what it shows.
    const forms::Surface* m_shownOn = nullptr;
    QSize m_shownSize;
    quint64 m_shownChanges = 0;
    bool m_finished = true; // the last call ran to its end
    int m_drawnFrom = 0;    // leftmost bitmap column this call's pieces, labels and marks reached
    // Something reached the header rows since they were copied (the grid marks never do:
    // they start at the box's right edge, beyond the copied columns).
    bool m_headerDrawn = true;
};

// One tick of the main window's graph, kept in module state for the whole run.
void DrawTrafficGraph(forms::Surface& pic, qint16 step, std::span<const float> ratios,
                      std::span<const qint16> values);

// The label font: `points` high at `dpiY` dots per inch (character height, not cell),
// turned by `angle` degrees, regular weight, Times New Roman or what stands in for it.
QFont CreateLabelFont(int dpiY, qint16 points, qint32 angle);

} // namespace tarvo
