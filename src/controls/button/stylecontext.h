#pragma once

#include "controls/button/buttoncolour.h"
#include "controls/button/buttonmodel.h"
#include "controls/button/buttonprimitives.h"

#include <QImage>
#include <QRect>

class QWidget;

namespace tarvo {

class ContentPainter;

// What one style body draws with: the surface image, the button, its client size W x H
// and the shorthands the bodies are written in.
struct StyleContext {
    QImage& image;
    ButtonProperties& props;
    ButtonState& state;
    ContentPainter& content;
    QWidget* widget = nullptr; // for the themed style's look; may be null
    int W = 0;
    int H = 0;
    forms::OleColor B = 0; // the translated BackColor
    bool regionRebuilt = false;

    bool enabled() const { return props.enabled; }
    int visual() const { return state.visualState; }
    bool isSet() const { return props.mode != ModePush && props.value; }
    bool focusOrDefault() const { return state.hasFocus || state.showAsDefault; }
    QRect buttonRect() const { return QRect(0, 0, W, H); }
    // round(H / 2), halves to even.
    int half() const;

    // Rebuild the window region (the widget applies it after the redraw).
    void region() { regionRebuilt = true; }
    void drawContent();

    static forms::OleColor S(forms::OleColor c, float amount) { return ShiftColor(c, amount); }
    static forms::OleColor Mix(forms::OleColor a, forms::OleColor b) { return MixColor(a, b); }
    void fill(forms::OleColor c) { buttondraw::FillBox(image, c, buttonRect()); }
    void fillBox(forms::OleColor c, const QRect& r) { buttondraw::FillBox(image, c, r); }
    void frame(int x, int y, int w, int h, forms::OleColor c) {
        buttondraw::FrameBox(image, x, y, w, h, c);
    }
    void line(int x1, int y1, int x2, int y2, forms::OleColor c) {
        buttondraw::DrawLine(image, x1, y1, x2, y2, c);
    }
    void gradV(int x, int y, int w, int h, forms::OleColor c1, forms::OleColor c2) {
        buttondraw::DrawGradient(image, x, y, w, h, c1, c2, buttondraw::Vertical);
    }
    void gradH(int x, int y, int w, int h, forms::OleColor c1, forms::OleColor c2) {
        buttondraw::DrawGradient(image, x, y, w, h, c1, c2, buttondraw::Horizontal);
    }
    void dots(forms::OleColor c) { buttondraw::CornerDots(image, c); }
    void focusRect(int left, int top, int right, int bottom) {
        buttondraw::FocusRect(image, QRect(left, top, right - left, bottom - top));
    }
};

inline constexpr forms::OleColor White = 0xFFFFFF;
inline constexpr forms::OleColor Black = 0x000000;

} // namespace tarvo
