#include "controls/button/drawcontent.h"

#include "controls/button/dropdownsymbol.h"
#include "controls/button/pictureeffects.h"
#include "controls/button/picturestep.h"
#include "controls/button/stylecontext.h"
#include "forms/gdi.h"

#include <array>

namespace tarvo {

namespace {

using forms::OleColor;
namespace gdi = forms::gdi;

bool symbolMovesAgain(int style) {
    switch (style) {
    case 0:
    case 1:
    case 6:
    case 7:
    case 11:
    case 12:
        return true;
    default:
        return false;
    }
}

struct Effect {
    std::array<QPoint, 4> offsets;
    int count;
};

} // namespace

QString ContentPainter::displayText(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&') {
            if (i + 1 < caption.size() && caption.at(i + 1) == u'&')
                out += u'&';
            ++i;
            if (i < caption.size() && caption.at(i) != u'&')
                out += caption.at(i);
            continue;
        }
        out += caption.at(i);
    }
    return out;
}

const QFont& ContentPainter::qfont(const forms::Font& font) {
    if (font != m_font || !m_font) {
        m_font = font ? font : forms::ambientFont();
        m_qfont = forms::toQFont(*m_font);
    }
    return m_qfont;
}

void ContentPainter::drawCaption(StyleContext& ctx, const QRect& at, unsigned flags,
                                 OleColor colour) {
    gdi::drawText(ctx.image, m_text, gdi::fromQRect(at), flags, m_qfont, toRgb(colour));
}

void ContentPainter::draw(StyleContext& ctx) {
    const ButtonProperties& p = ctx.props;
    const int W = ctx.W;
    const int H = ctx.H;
    const bool down = ctx.visual() == StateDown;
    const bool marker = p.dropDownSymbol != 0 || p.dropDownSeparator;
    qfont(p.font);
    m_text = displayText(p.caption);

    // 1. The picture and its size in pixels.
    const forms::Picture picture = button::choosePicture(ctx.visual(), ctx.isSet(), p.pictureNormal,
                                                         p.pictureHot, p.pictureDown);
    const QSize pictureSize = button::picturePixels(picture);
    const int PW = pictureSize.width();
    const int PH = pictureSize.height();

    // 2. Measure the caption with word breaking in the width left of the margin.
    const int margin = marker ? (p.pictureAlign == 2 || p.pictureAlign == 3 ? -24 : -16) : -8;
    unsigned flags = gdi::DtWordBreak;
    if (p.rightToLeft)
        flags |= gdi::DtRtlReading;
    const QSize measured = gdi::measureText(m_text, W + margin, flags, m_qfont);
    QRect cap(0, 0, measured.width(), measured.height());

    // 3. Place it by CaptionAlign.
    const int middle = (H - cap.height()) / 2;
    switch (p.captionAlign) {
    case 0:
        cap.translate(2, middle);
        break;
    case 1: {
        int dx = (W - cap.width() + PW) / 2;
        if (marker)
            dx -= 8;
        if (p.pictureAlign >= 5 && p.pictureAlign <= 8)
            dx -= PW / 2;
        cap.translate(dx, middle);
        break;
    }
    case 2:
        cap.translate(W - cap.width() - 4, middle);
        break;
    default:
        break;
    }

    // 4. Room for the picture.
    const bool centred = p.captionAlign == 1;
    if (!forms::isEmpty(p.pictureNormal)) {
        switch (p.pictureAlign) {
        case 2:
        case 3:
            if (W - PW - 4 < cap.left() + cap.width()) {
                cap.setRight(W - PW - 4 - 1);
                cap.setLeft(cap.left() - (PW + 4));
            }
            if (centred)
                cap.translate(-12, 0);
            break;
        case 4:
            if (centred)
                cap.translate(-16, 0);
            break;
        case 5:
        case 6:
            cap.translate(0, PH / 2);
            break;
        case 7:
        case 8:
            cap.translate(0, -(PH / 2));
            break;
        default:
            if (!centred && cap.left() < PW + 4) {
                const int right = cap.left() + cap.width() + PW + 4;
                cap.setLeft(PW + 4);
                cap.setWidth(right - cap.left());
            }
            break;
        }
    }

    // 5. Right-aligned captions keep clear of the symbol; the themed body keeps a margin.
    if (p.captionAlign == 2 && marker)
        cap.translate(-16, 0);
    if (p.buttonStyle == StyleThemed) {
        const int right = std::min(cap.left() + cap.width(), W - 4);
        const int bottom = std::min(cap.top() + cap.height(), H - 4);
        cap.setLeft(std::max(cap.left(), 4));
        cap.setTop(std::max(cap.top(), 4));
        cap.setWidth(right - cap.left());
        cap.setHeight(bottom - cap.top());
    }

    // 6. Place the picture and the symbol.
    PictureStep step{p, ctx.state, ctx.image, picture, pictureSize, cap, W, H, marker};
    m_pictureRect = forms::isEmpty(p.pictureNormal) ? QRect() : placeButtonPicture(step);
    m_symbolRect = p.dropDownSymbol != 0 ? QRect(W - 15, H / 2 - 7, 15, 15) : QRect();

    // 7. The separator, shaded from the colour the body left at (7, 7).
    if (p.dropDownSeparator && cap.left() + cap.width() < W - 8) {
        OleColor P = 0;
        if (ctx.image.rect().contains(7, 7))
            P = forms::fromQColor(QColor(ctx.image.pixel(7, 7)));
        ctx.line(W - 16, 3, W - 16, H - 3, ShiftColor(P, -0.1f));
        ctx.line(W - 15, 3, W - 15, H - 3, ShiftColor(P, 0.1f));
    }

    // 8. A pressed button moves its content by one pixel.
    if (down && button::contentMovesWhenPressed(p.buttonStyle)) {
        cap.translate(1, 1);
        m_pictureRect.translate(1, 1);
        m_symbolRect.translate(1, 1);
    }
    m_captionRect = cap;

    // 9. Picture, caption effects, caption.
    step.captionRect = cap;
    if (!m_pictureRect.isNull())
        drawButtonPicture(step, m_pictureRect);
    const unsigned alignFlag = p.captionAlign == 1   ? gdi::DtCenter
                               : p.captionAlign == 2 ? gdi::DtRight
                                                     : gdi::DtLeft;
    const unsigned drawFlags = flags | alignFlag;
    const OleColor grey = TranslateColor(forms::syscolour::GrayText);
    const OleColor plain = ctx.enabled() ? p.foreColor : grey;
    static const std::array<Effect, 6> effects = {{
        {{}, 0},
        {{QPoint(-1, -1)}, 1},
        {{QPoint(1, 1)}, 1},
        {{QPoint(1, 1)}, 1},
        {{QPoint(1, 1), QPoint(1, -1), QPoint(-1, 1), QPoint(-1, -1)}, 4},
        {{QPoint(1, 1), QPoint(1, -1), QPoint(-1, 1), QPoint(-1, -1)}, 4},
    }};
    if (p.captionEffects >= 1 && p.captionEffects <= 5 && !m_text.isEmpty()) {
        static const std::array<float, 6> amounts = {0, 0.14f, 0.14f, 0, 0.1f, -0.1f};
        const OleColor colour = p.captionEffects == 3
                                    ? OleColor(0xC0C0C0)
                                    : ShiftColor(ctx.B, amounts[std::size_t(p.captionEffects)]);
        const Effect& effect = effects[std::size_t(p.captionEffects)];
        for (int k = 0; k < effect.count; ++k)
            drawCaption(ctx, cap.translated(effect.offsets[std::size_t(k)]), drawFlags, colour);
        drawCaption(ctx, cap, drawFlags, plain);
    }
    const OleColor final = !ctx.enabled()             ? grey
                           : ctx.visual() == StateHot ? p.foreColorHover
                                                      : p.foreColor;
    if (!m_text.isEmpty())
        drawCaption(ctx, cap, drawFlags, final);

    // 10. The drop-down symbol.
    if (p.dropDownSymbol != 0) {
        if (down && symbolMovesAgain(p.buttonStyle))
            m_symbolRect.translate(1, 1);
        drawDropDownSymbol(ctx.image, m_symbolRect, p.dropDownSymbol, toRgb(plain), m_qfont);
    }
}

} // namespace tarvo
