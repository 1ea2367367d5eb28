#include "controls/button/pictureeffects.h"

#include "runtime/numbers.h"
#include "runtime/units.h"

#include <QColor>

#include <algorithm>
#include <array>

namespace tarvo::button {

using forms::OleColor;
using forms::Picture;
using forms::gdi::Rect;

namespace {

constexpr int FadedOpacity = 52;

constexpr std::array<std::uint8_t, 256> identityTable() {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = std::uint8_t(i);
    return table;
}
constexpr std::array<std::uint8_t, 256> Unchanged = identityTable();

bool isBlank(const QString& text) {
    for (const QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

Rect moved(const Rect& r, int dx, int dy) {
    return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

QRgb rgbOf(OleColor colour) {
    return forms::toQColor(colour).rgb() & 0xFFFFFFu;
}

// One channel of the result: the source at full opacity, the destination at none, and
// between them the blend that divides by 256.
inline int blendChannel(int destination, int source, int opacity) {
    if (opacity >= 255)
        return source;
    if (opacity <= 0)
        return destination;
    return (destination * (255 - opacity) + source * opacity) / 256;
}

// What one source pixel becomes before blending, per channel.
struct Mapper {
    std::optional<QRgb> flat;
    bool grey = false;
    const std::uint8_t* table = Unchanged.data();

    QRgb operator()(QRgb source) const {
        if (flat)
            return *flat;
        const int r = qRed(source);
        const int g = qGreen(source);
        const int b = qBlue(source);
        if (grey) {
            const int v = greyOf(r, g, b);
            return qRgb(v, v, v);
        }
        return qRgb(table[r], table[g], table[b]);
    }
};

inline QRgb blendPixel(QRgb destination, QRgb source, int opacity) {
    return qRgb(blendChannel(qRed(destination), qRed(source), opacity),
                blendChannel(qGreen(destination), qGreen(source), opacity),
                blendChannel(qBlue(destination), qBlue(source), opacity));
}

bool isOpaqueBitmap(const Picture& picture) {
    return picture->type() != forms::PictureType::Icon && !picture->image().hasAlphaChannel();
}

// The source pixels as a 32-bit image: a bitmap as it is; an icon drawn onto a square of
// the target size filled with the key colour, so that its transparent parts take it.
QImage sourcePixels(const Picture& picture, QSize size, QRgb key) {
    if (picture->type() != forms::PictureType::Icon)
        return picture->image();
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(key | 0xFF000000u);
    const QImage& icon = picture->image();
    forms::gdi::alphaBlt(canvas, QPoint(0, 0), icon, Rect{0, 0, icon.width(), icon.height()});
    return canvas;
}

bool is32Bit(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

Picture choosePicture(int visualState, bool valueOn, const Picture& normal, const Picture& hot,
                      const Picture& down) {
    if (visualState == StateDown || valueOn)
        return !forms::isEmpty(down) ? down : !forms::isEmpty(hot) ? hot : normal;
    if (visualState == StateHot)
        return !forms::isEmpty(hot) ? hot : normal;
    return normal;
}

QSize picturePixels(const Picture& picture) {
    if (forms::isEmpty(picture))
        return QSize(0, 0);
    return runtime::himetricToPixels(picture->sizeHimetric());
}

bool contentMovesWhenPressed(int buttonStyle) {
    switch (buttonStyle) {
    case 0:
    case 1:
    case 5:
    case 6:
    case 7:
    case 10:
    case 11:
    case 12:
        return true;
    default:
        return false;
    }
}

Rect placePicture(const PicturePlacement& p) {
    const int W = p.client.width();
    const int H = p.client.height();
    const int PW = p.picture.width();
    const int PH = p.picture.height();
    const int middle = (H - PH) / 2;
    const int centre = (W - PW) / 2;
    const Rect& caption = p.caption;

    int left = 0;
    int top = 0;
    int shift = 0;
    // Right-hand alignments must not run into the caption after making room.
    std::optional<int> atLeast;
    if (isBlank(p.captionText) || p.pictureAlign == 4) {
        left = centre;
        top = middle;
        shift = 8;
    } else {
        switch (p.pictureAlign) {
        case 0:
            left = 3;
            top = middle;
            break;
        case 2:
            left = W - PW - 3;
            top = middle;
            shift = 16;
            atLeast = caption.right + 2;
            break;
        case 3:
            left = caption.right + 4;
            top = middle;
            shift = 16;
            atLeast = caption.right + 2;
            break;
        case 5:
            left = centre;
            top = 4;
            shift = 8;
            break;
        case 6:
            left = centre;
            top = caption.top - PH - 2;
            shift = 8;
            break;
        case 7:
            left = centre;
            top = H - PH - 4;
            shift = 8;
            break;
        case 8:
            left = centre;
            top = caption.bottom + 2;
            shift = 8;
            break;
        default: // 1, and values without a placement of their own: left of the caption
            left = caption.left - PW - 4;
            top = middle;
            break;
        }
    }
    if (p.dropDown)
        left -= shift;
    if (atLeast)
        left = std::max(left, *atLeast);

    return Rect{left, top, left + PW, top + PH};
}

int effectFor(const BlendSettings& s) {
    if (s.visualState == StateHot)
        return s.pictureEffectOnOver;
    if (s.visualState == StateDown)
        return s.pictureEffectOnDown;
    return EffectNone;
}

Opacity opacityFor(const BlendSettings& s) {
    if (!s.enabled) {
        if (s.disabledPictureMode == 0)
            return {FadedOpacity, false};
        if (s.disabledPictureMode == 1)
            return {std::clamp(int(runtime::toInt32(s.pictureOpacity * 0.75)), 0, 255), true};
        return {0, false};
    }
    const int opacity = s.visualState == StateHot ? s.pictureOpacityOnOver : s.pictureOpacity;
    return {std::clamp(opacity, 0, 255), false};
}

int greyOf(int red, int green, int blue) {
    const double inner = runtime::toInt32(0.3 * red);
    return std::clamp(int(runtime::toInt32(inner + 0.59 * green + 0.11 * blue)), 0, 255);
}

OleColor keyColourFor(const Picture& picture, OleColor maskColor) {
    if (!forms::isEmpty(picture) && picture->type() == forms::PictureType::Icon)
        return IconKeyColour;
    return maskColor;
}

void blendPicture(QImage& target, const Rect& rect, const Picture& picture, OleColor keyColour,
                  std::optional<OleColor> flat, const BlendSettings& settings) {
    if (rect.width() <= 0 || rect.height() <= 0 || forms::isEmpty(picture) || target.isNull())
        return;
    const Opacity opacity = opacityFor(settings);
    if (opacity.value == 0)
        return; // every pixel keeps the destination

    if (!is32Bit(target.format()))
        target = target.convertToFormat(QImage::Format_RGB32);

    const QRgb key = rgbOf(keyColour);
    const QImage source = sourcePixels(picture, QSize(rect.width(), rect.height()), key);
    const bool ownAlpha = picture->type() != forms::PictureType::Icon && !isOpaqueBitmap(picture);

    Mapper map;
    if (flat) {
        map.flat = rgbOf(*flat);
    } else if (opacity.grey) {
        map.grey = true;
    } else {
        const int effect = effectFor(settings);
        if (effect == EffectBrighten)
            map.table = settings.brighten.data();
        else if (effect == EffectDarken)
            map.table = settings.darken.data();
    }

    // Only what lies on the target and on the source is touched: the control's edge clips.
    const int width = std::min(rect.width(), source.width());
    const int height = std::min(rect.height(), source.height());
    const int x0 = std::max(0, rect.left);
    const int y0 = std::max(0, rect.top);
    const int x1 = std::min(target.width(), rect.left + width);
    const int y1 = std::min(target.height(), rect.top + height);
    if (x0 >= x1 || y0 >= y1)
        return;

    for (int y = y0; y < y1; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(y - rect.top));
        auto* dst = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const QRgb s = src[x - rect.left];
            int pixelOpacity = opacity.value;
            QRgb colour = 0;
            if (ownAlpha) {
                pixelOpacity = qAlpha(s) * opacity.value / 255;
                if (pixelOpacity == 0)
                    continue;
                colour = map(qUnpremultiply(s));
            } else {
                if (settings.useMaskColor && (s & 0xFFFFFFu) == key)
                    continue;
                colour = map(s);
            }
            dst[x] = blendPixel(dst[x], colour, pixelOpacity);
        }
    }
}

void drawPicture(QImage& target, const PictureDrawing& d, const BlendSettings& settings) {
    if (forms::isEmpty(d.picture))
        return;
    const OleColor key = keyColourFor(d.picture, d.maskColor);
    if (d.pushOnHover && settings.visualState == StateHot) {
        // Lifted: a grey silhouette where the picture was, the picture up and to the left.
        blendPicture(target, d.rect, d.picture, key, IconKeyColour, settings);
        blendPicture(target, moved(d.rect, -2, -2), d.picture, key, std::nullopt, settings);
        return;
    }
    blendPicture(target, d.rect, d.picture, key, std::nullopt, settings);
    if (!d.shadow)
        return;
    blendPicture(target, moved(d.rect, 2, 2), d.picture, key, d.shadowFar, settings);
    blendPicture(target, moved(d.rect, 1, 1), d.picture, key, d.shadowNear, settings);
    blendPicture(target, d.rect, d.picture, key, std::nullopt, settings);
}

} // namespace tarvo::button
