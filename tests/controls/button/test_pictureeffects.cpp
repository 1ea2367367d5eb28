#include "controls/button/pictureeffects.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTest>

#include <algorithm>
#include <array>

using namespace tarvo;
using namespace tarvo::button;
using forms::gdi::Rect;

namespace {

// The control's tables: min(255, floor(i x 293 / 255)) and floor(i x 217 / 255).
std::array<std::uint8_t, 256> table(int factor) {
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[std::size_t(i)] = std::uint8_t(std::min(255, i * factor / 255));
    return t;
}
const std::array<std::uint8_t, 256> Brighten = table(293);
const std::array<std::uint8_t, 256> Darken = table(217);

BlendSettings defaults() {
    return BlendSettings(Brighten, Darken);
}

QImage filled(int w, int h, QRgb colour, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, format);
    image.fill(QColor::fromRgba(colour));
    return image;
}

QRgb rgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

enum class Kind { Bitmap, AlphaBitmap, Icon };

forms::Picture pictureOf(Kind kind, QImage image) {
    switch (kind) {
    case Kind::Icon:
        return forms::PictureObject::fromIcon(QIcon(QPixmap::fromImage(image)));
    case Kind::AlphaBitmap:
        return forms::PictureObject::fromImage(image.convertToFormat(QImage::Format_ARGB32));
    case Kind::Bitmap:
        break;
    }
    return forms::PictureObject::fromImage(image.convertToFormat(QImage::Format_RGB32));
}

// A pixel's colour for the data tables, red first as people write it.
QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b) & 0xFFFFFFu;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestPictureEffects final : public QObject {
    Q_OBJECT
private slots:
    // One source colour composited over one destination colour, one row per rule.
    void blend_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<uint>("source"); // ARGB
        QTest::addColumn<uint>("destination");
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("opacityOnOver");
        QTest::addColumn<int>("disabledMode");
        QTest::addColumn<int>("effect"); // for both Hot and Down
        QTest::addColumn<bool>("useMask");
        QTest::addColumn<int>("flat"); // -1: none
        QTest::addColumn<uint>("expected");

        const uint white = 0xFFFFFFFF, black = 0xFF000000;
        const int none = -1;
        QTest::newRow("opaque at 255 is the source")
            << Kind::Bitmap << 0xFF336699u << white << 0 << true << 255 << 255 << 0 << 0 << true
            << none << rgb(0x33, 0x66, 0x99);
        QTest::newRow("254 over black divides by 256")
            << Kind::Bitmap << white << black << 0 << true << 254 << 255 << 0 << 0 << true << none
            << rgb(253, 253, 253);
        QTest::newRow("opacity 0 keeps the destination")
            << Kind::Bitmap << white << black << 0 << true << 0 << 255 << 0 << 0 << true << none
            << rgb(0, 0, 0);
        QTest::newRow("hot takes PictureOpacityOnOver")
            << Kind::Bitmap << white << black << 1 << true << 255 << 128 << 0 << 0 << true << none
            << rgb(127, 127, 127);
        QTest::newRow("down takes PictureOpacity")
            << Kind::Bitmap << white << black << 2 << true << 128 << 255 << 0 << 0 << true << none
            << rgb(127, 127, 127);
        QTest::newRow("brighten clamps at 255")
            << Kind::Bitmap << 0xFFE66400u << black << 1 << true << 255 << 255 << 0 << 1 << true
            << none << rgb(255, 114, 0);
        QTest::newRow("darken when pressed")
            << Kind::Bitmap << 0xFFE66400u << black << 2 << true << 255 << 255 << 0 << 2 << true
            << none << rgb(195, 85, 0);
        QTest::newRow("no effect in Normal")
            << Kind::Bitmap << 0xFFE66400u << black << 0 << true << 255 << 255 << 0 << 1 << true
            << none << rgb(230, 100, 0);
        QTest::newRow("unknown effect acts as none")
            << Kind::Bitmap << 0xFFE66400u << black << 1 << true << 255 << 255 << 0 << 7 << true
            << none << rgb(230, 100, 0);
        QTest::newRow("disabled mode 0: opacity 52")
            << Kind::Bitmap << white << black << 0 << false << 255 << 255 << 0 << 0 << true << none
            << rgb(51, 51, 51);
        QTest::newRow("disabled mode 1: grey at 191 over white")
            << Kind::Bitmap << 0xFFFF0000u << white << 0 << false << 255 << 255 << 1 << 0 << true
            << none << rgb(120, 120, 120);
        QTest::newRow("disabled mode 1: grey at 191 over black")
            << Kind::Bitmap << 0xFFFF0000u << black << 0 << false << 255 << 255 << 1 << 0 << true
            << none << rgb(56, 56, 56);
        QTest::newRow("disabled mode 1 takes no effect")
            << Kind::Bitmap << 0xFFE66400u << black << 1 << false << 255 << 255 << 1 << 1 << true
            << none << rgb(95, 95, 95); // grey 128, not the brightened 143
        QTest::newRow("disabled other mode hides")
            << Kind::Bitmap << white << black << 0 << false << 255 << 255 << 2 << 0 << true << none
            << rgb(0, 0, 0);
        QTest::newRow("mask colour stays transparent")
            << Kind::Bitmap << 0xFFE0E0E0u << black << 0 << true << 255 << 255 << 0 << 0 << true
            << none << rgb(0, 0, 0);
        QTest::newRow("mask colour drawn without UseMaskColor")
            << Kind::Bitmap << 0xFFE0E0E0u << black << 0 << true << 255 << 255 << 0 << 0 << false
            << none << rgb(0xE0, 0xE0, 0xE0);
        QTest::newRow("flat colour draws the shape")
            << Kind::Bitmap << 0xFF123456u << white << 1 << true << 255 << 255 << 0 << 1 << true
            << 0x0000FF << rgb(255, 0, 0);
        QTest::newRow("flat colour leaves the key colour out")
            << Kind::Bitmap << 0xFFE0E0E0u << white << 0 << true << 255 << 255 << 0 << 0 << true
            << 0x0000FF << rgb(255, 255, 255);
        QTest::newRow("own alpha scales the opacity")
            << Kind::AlphaBitmap << 0x80FFFFFFu << black << 0 << true << 255 << 255 << 0 << 0
            << true << none << rgb(127, 127, 127);
        QTest::newRow("own alpha times the state's opacity")
            << Kind::AlphaBitmap << 0x80FFFFFFu << black << 0 << true << 128 << 255 << 0 << 0
            << true << none << rgb(63, 63, 63);
        // 192 x 200 / 255 = 150.6: the opacity is 150, which gives 255 x 150 / 256 = 149.4.
        QTest::newRow("own alpha times the opacity is floored")
            << Kind::AlphaBitmap << 0xC0FFFFFFu << black << 0 << true << 200 << 255 << 0 << 0
            << true << none << rgb(149, 149, 149);
        QTest::newRow("own alpha ignores the key colour")
            << Kind::AlphaBitmap << 0xFFE0E0E0u << black << 0 << true << 255 << 255 << 0 << 0
            << true << none << rgb(0xE0, 0xE0, 0xE0);
        QTest::newRow("icon: transparent parts stay")
            << Kind::Icon << 0x00000000u << black << 0 << true << 255 << 255 << 0 << 0 << true
            << none << rgb(0, 0, 0);
        QTest::newRow("icon without the key colour shows its grey square")
            << Kind::Icon << 0x00000000u << black << 0 << true << 255 << 255 << 0 << 0 << false
            << none << rgb(0xC0, 0xC0, 0xC0);
        QTest::newRow("icon's MaskColor pixels are drawn")
            << Kind::Icon << 0xFFE0E0E0u << black << 0 << true << 255 << 255 << 0 << 0 << true
            << none << rgb(0xE0, 0xE0, 0xE0);
    }
    void blend() {
        QFETCH(Kind, kind);
        QFETCH(uint, source);
        QFETCH(uint, destination);
        QFETCH(int, state);
        QFETCH(bool, enabled);
        QFETCH(int, opacity);
        QFETCH(int, opacityOnOver);
        QFETCH(int, disabledMode);
        QFETCH(int, effect);
        QFETCH(bool, useMask);
        QFETCH(int, flat);
        QFETCH(uint, expected);

        BlendSettings s = defaults();
        s.visualState = state;
        s.enabled = enabled;
        s.pictureOpacity = opacity;
        s.pictureOpacityOnOver = opacityOnOver;
        s.disabledPictureMode = disabledMode;
        s.pictureEffectOnOver = effect;
        s.pictureEffectOnDown = effect;
        s.useMaskColor = useMask;

        const forms::Picture picture = pictureOf(kind, filled(2, 2, source, QImage::Format_ARGB32));
        QImage target = filled(4, 4, destination);
        const forms::OleColor key = keyColourFor(picture, 0xE0E0E0);
        std::optional<forms::OleColor> flatColour;
        if (flat >= 0)
            flatColour = forms::OleColor(flat);
        blendPicture(target, Rect{1, 1, 3, 3}, picture, key, flatColour, s);

        QCOMPARE(QString::number(rgbAt(target, 1, 1), 16), QString::number(expected, 16));
        QCOMPARE(QString::number(rgbAt(target, 2, 2), 16), QString::number(expected, 16));
        // Outside the rectangle nothing changes.
        QCOMPARE(rgbAt(target, 0, 0), destination & 0xFFFFFFu);
        QCOMPARE(rgbAt(target, 3, 3), destination & 0xFFFFFFu);
    }

    // The grey of a pixel rounds twice, halves to even.
    void grey_data() {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::addColumn<int>("expected");
        QTest::newRow("white is 254") << 255 << 255 << 255 << 254; // 76 + 178.5, to even
        QTest::newRow("pure red") << 255 << 0 << 0 << 76;          // 76.5 to even
        QTest::newRow("red half to even") << 15 << 0 << 0 << 4;    // 4.5 to 4, not 5
        QTest::newRow("inner rounding first") << 5 << 0 << 6 << 3; // 2 + 0.66, not 1.5 + 0.66
        QTest::newRow("green and blue") << 0 << 100 << 200 << 81;  // 59 + 22
    }
    void grey() {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QFETCH(int, expected);
        QCOMPARE(greyOf(red, green, blue), expected);
    }

    void disabledGreyOpacity_data() {
        QTest::addColumn<int>("pictureOpacity");
        QTest::addColumn<int>("expected");
        QTest::newRow("255") << 255 << 191; // 191.25
        QTest::newRow("1.5 to 2") << 2 << 2;
        QTest::newRow("7.5 to 8") << 10 << 8;
        QTest::newRow("4.5 to 4") << 6 << 4;
        QTest::newRow("0") << 0 << 0;
    }
    void disabledGreyOpacity() {
        QFETCH(int, pictureOpacity);
        QFETCH(int, expected);
        BlendSettings s = defaults();
        s.enabled = false;
        s.disabledPictureMode = 1;
        s.pictureOpacity = pictureOpacity;
        const Opacity o = opacityFor(s);
        QCOMPARE(o.value, expected);
        QVERIFY(o.grey);
    }

    // A picture partly left of or below the control is cut at the control's edge.
    void clippedAtTheEdge() {
        QImage source(4, 4, QImage::Format_RGB32);
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 4; ++y)
                source.setPixel(x, y, qRgb(10 * x + 1, 10 * y + 1, 0));
        const forms::Picture picture = forms::PictureObject::fromImage(source);
        QImage target = filled(6, 6, qRgb(0, 0, 255));
        BlendSettings s = defaults();
        blendPicture(target, Rect{-2, 3, 2, 7}, picture, 0xE0E0E0, std::nullopt, s);
        QCOMPARE(rgbAt(target, 0, 3), rgb(21, 1, 0)); // the picture's third column
        QCOMPARE(rgbAt(target, 1, 5), rgb(31, 21, 0));
        QCOMPARE(rgbAt(target, 2, 3), rgb(0, 0, 255)); // right of the picture
        QCOMPARE(rgbAt(target, 0, 2), rgb(0, 0, 255)); // above it
        // The cut-off columns do not wrap round onto the ends of other rows.
        for (int y = 2; y < 6; ++y) {
            QCOMPARE(rgbAt(target, 4, y), rgb(0, 0, 255));
            QCOMPARE(rgbAt(target, 5, y), rgb(0, 0, 255));
        }
        // Wholly outside: nothing, and nothing breaks.
        blendPicture(target, Rect{-10, -10, -6, -6}, picture, 0xE0E0E0, std::nullopt, s);
        blendPicture(target, Rect{6, 6, 10, 10}, picture, 0xE0E0E0, std::nullopt, s);
        QCOMPARE(rgbAt(target, 5, 5), rgb(0, 0, 255));
    }

    void nothingForNoPictureOrEmptyRect() {
        QImage target = filled(4, 4, qRgb(1, 2, 3));
        const QImage before = target;
        BlendSettings s = defaults();
        const forms::Picture picture = forms::PictureObject::fromImage(filled(2, 2, 0xFFFFFFFF));
        blendPicture(target, Rect{0, 0, 2, 2}, nullptr, 0, std::nullopt, s);
        blendPicture(target, Rect{0, 0, 2, 2}, forms::PictureObject::none(), 0, std::nullopt, s);
        blendPicture(target, Rect{1, 1, 1, 3}, picture, 0, std::nullopt, s);
        blendPicture(target, Rect{1, 1, 3, 1}, picture, 0, std::nullopt, s);
        QCOMPARE(target, before);
    }

    void placement_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("align");
        QTest::addColumn<bool>("dropDown");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("topLeft");
        // Client 100 x 40, caption (30, 12)-(70, 28), picture 16 x 16.
        const QSize c(100, 40);
        QTest::newRow("0 left edge") << "OK" << 0 << false << c << QPoint(3, 12);
        QTest::newRow("0 ignores the symbol") << "OK" << 0 << true << c << QPoint(3, 12);
        QTest::newRow("1 left of caption") << "OK" << 1 << false << c << QPoint(10, 12);
        QTest::newRow("1 ignores the symbol") << "OK" << 1 << true << c << QPoint(10, 12);
        QTest::newRow("2 right edge") << "OK" << 2 << false << c << QPoint(81, 12);
        QTest::newRow("2 shifted, kept off the caption")
            << "OK" << 2 << true << c << QPoint(72, 12);
        QTest::newRow("3 right of caption") << "OK" << 3 << false << c << QPoint(74, 12);
        QTest::newRow("3 shifted, kept off the caption")
            << "OK" << 3 << true << c << QPoint(72, 12);
        QTest::newRow("4 centre") << "OK" << 4 << false << c << QPoint(42, 12);
        QTest::newRow("4 shifted by 8") << "OK" << 4 << true << c << QPoint(34, 12);
        QTest::newRow("5 top edge") << "OK" << 5 << false << c << QPoint(42, 4);
        QTest::newRow("5 shifted by 8") << "OK" << 5 << true << c << QPoint(34, 4);
        QTest::newRow("6 above caption") << "OK" << 6 << false << c << QPoint(42, -6);
        QTest::newRow("6 shifted by 8") << "OK" << 6 << true << c << QPoint(34, -6);
        QTest::newRow("7 bottom edge") << "OK" << 7 << false << c << QPoint(42, 20);
        QTest::newRow("7 shifted by 8") << "OK" << 7 << true << c << QPoint(34, 20);
        QTest::newRow("8 below caption") << "OK" << 8 << false << c << QPoint(42, 30);
        QTest::newRow("8 shifted by 8") << "OK" << 8 << true << c << QPoint(34, 30);
        QTest::newRow("blank caption centres") << "   " << 0 << false << c << QPoint(42, 12);
        QTest::newRow("blank caption shifts by 8") << "" << 2 << true << c << QPoint(34, 12);
        QTest::newRow("halves are integer divisions")
            << "OK" << 4 << false << QSize(101, 41) << QPoint(42, 12);
        QTest::newRow("negative halves truncate")
            << "OK" << 4 << false << QSize(11, 11) << QPoint(-2, -2);
    }
    void placement() {
        QFETCH(QString, caption);
        QFETCH(int, align);
        QFETCH(bool, dropDown);
        QFETCH(QSize, client);
        QFETCH(QPoint, topLeft);
        PicturePlacement p;
        p.client = client;
        p.caption = Rect{30, 12, 70, 28};
        p.captionText = caption;
        p.pictureAlign = align;
        p.picture = QSize(16, 16);
        p.dropDown = dropDown;
        const Rect r = placePicture(p);
        QCOMPARE(QPoint(r.left, r.top), topLeft);
        QCOMPARE(r.width(), 16);
        QCOMPARE(r.height(), 16);
    }

    // A wide centred caption puts a left-of-caption picture off the control; the part on
    // the control is still drawn.
    void leftOfWideCaptionIsClipped() {
        PicturePlacement p;
        p.client = QSize(60, 24);
        p.caption = Rect{2, 4, 58, 20};
        p.captionText = QStringLiteral("A rather long caption");
        p.pictureAlign = 1;
        p.picture = QSize(16, 16);
        const Rect r = placePicture(p);
        QCOMPARE(r.left, -18);
        const forms::Picture picture =
            forms::PictureObject::fromImage(filled(16, 16, qRgb(200, 0, 0)));
        QImage target = filled(60, 24, qRgb(0, 0, 0));
        PictureDrawing d;
        d.picture = picture;
        d.rect = r;
        drawPicture(target, d, defaults());
        QCOMPARE(rgbAt(target, 0, 4), rgb(0, 0, 0)); // -18 + 16 = -2: all off the control
        d.rect = Rect{-10, 4, 6, 20};
        drawPicture(target, d, defaults());
        QCOMPARE(rgbAt(target, 0, 4), rgb(200, 0, 0));
        QCOMPARE(rgbAt(target, 5, 19), rgb(200, 0, 0));
        QCOMPARE(rgbAt(target, 6, 4), rgb(0, 0, 0));
    }

    void choice_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("valueOn");
        QTest::addColumn<QString>("available"); // which of n, h, d are set
        QTest::addColumn<QString>("expected");
        QTest::newRow("normal") << 0 << false << "nhd"
                                << "n";
        QTest::newRow("hot") << 1 << false << "nhd"
                             << "h";
        QTest::newRow("hot without hot picture") << 1 << false << "nd"
                                                 << "n";
        QTest::newRow("down") << 2 << false << "nhd"
                              << "d";
        QTest::newRow("down falls back to hot") << 2 << false << "nh"
                                                << "h";
        QTest::newRow("down falls back to normal") << 2 << false << "n"
                                                   << "n";
        QTest::newRow("value on shows down") << 0 << true << "nhd"
                                             << "d";
        QTest::newRow("value on while hot shows down") << 1 << true << "nhd"
                                                       << "d";
    }
    void choice() {
        QFETCH(int, state);
        QFETCH(bool, valueOn);
        QFETCH(QString, available);
        QFETCH(QString, expected);
        const auto make = [&](QChar which) {
            return available.contains(which)
                       ? forms::PictureObject::fromImage(filled(1, 1, 0xFF000000))
                       : forms::PictureObject::none();
        };
        const forms::Picture n = make(u'n'), h = make(u'h'), d = make(u'd');
        const forms::Picture chosen = choosePicture(state, valueOn, n, h, d);
        const QString got = chosen == n ? "n" : chosen == h ? "h" : chosen == d ? "d" : "?";
        QCOMPARE(got, expected);
    }

    // A pressed button of these styles moves its picture (and caption) by (1, 1).
    void pressedStyles() {
        QList<int> moving;
        for (int style = 0; style <= 13; ++style) {
            if (contentMovesWhenPressed(style))
                moving << style;
        }
        QCOMPARE(moving, (QList<int>{0, 1, 5, 6, 7, 10, 11, 12}));
    }

    void sizeInPixelsFromHimetric() {
        const forms::Picture picture = forms::PictureObject::fromImage(filled(32, 17, 0xFF000000));
        QCOMPARE(picturePixels(picture), QSize(32, 17));
        QCOMPARE(picturePixels(nullptr), QSize(0, 0));
    }

    // Shadow: a far silhouette two pixels off, a near one one pixel off, the picture on top.
    void shadow() {
        const forms::Picture picture =
            forms::PictureObject::fromImage(filled(4, 4, qRgb(255, 0, 0)));
        QImage target = filled(12, 12, qRgb(255, 255, 255));
        PictureDrawing d;
        d.picture = picture;
        d.rect = Rect{2, 2, 6, 6};
        d.shadow = true;
        d.shadowFar = 0x00AA00;  // green
        d.shadowNear = 0x550000; // dark blue
        drawPicture(target, d, defaults());
        QCOMPARE(rgbAt(target, 7, 7), rgb(0, 0xAA, 0));
        QCOMPARE(rgbAt(target, 6, 6), rgb(0, 0, 0x55));
        QCOMPARE(rgbAt(target, 6, 3), rgb(0, 0, 0x55));
        QCOMPARE(rgbAt(target, 5, 5), rgb(255, 0, 0));
        QCOMPARE(rgbAt(target, 2, 2), rgb(255, 0, 0));
        QCOMPARE(rgbAt(target, 1, 1), rgb(255, 255, 255));
        QCOMPARE(rgbAt(target, 8, 8), rgb(255, 255, 255));
    }

    void opacityZeroHidesPictureAndShadow_data() {
        QTest::addColumn<bool>("pushOnHover");
        QTest::addColumn<int>("state");
        QTest::newRow("shadow") << false << 0;
        QTest::newRow("lifted") << true << 1;
    }
    void opacityZeroHidesPictureAndShadow() {
        QFETCH(bool, pushOnHover);
        QFETCH(int, state);
        const forms::Picture picture =
            forms::PictureObject::fromImage(filled(4, 4, qRgb(255, 0, 0)));
        QImage target = filled(12, 12, qRgb(255, 255, 255));
        const QImage before = target;
        PictureDrawing d;
        d.picture = picture;
        d.rect = Rect{3, 3, 7, 7};
        d.shadow = true;
        d.pushOnHover = pushOnHover;
        d.shadowFar = 0x00AA00;
        d.shadowNear = 0x550000;
        BlendSettings s = defaults();
        s.visualState = state;
        s.pictureOpacity = 0;
        s.pictureOpacityOnOver = 0;
        drawPicture(target, d, s);
        QCOMPARE(target, before);
    }

    // Push on hover: a grey silhouette in place, the picture lifted by (-2, -2), no shadow.
    void pushOnHover() {
        const forms::Picture picture =
            forms::PictureObject::fromImage(filled(4, 4, qRgb(255, 0, 0)));
        QImage target = filled(12, 12, qRgb(255, 255, 255));
        PictureDrawing d;
        d.picture = picture;
        d.rect = Rect{4, 4, 8, 8};
        d.pushOnHover = true;
        d.shadow = true;
        d.shadowFar = 0x00AA00;
        d.shadowNear = 0x550000;
        BlendSettings s = defaults();
        s.visualState = StateHot;
        drawPicture(target, d, s);
        QCOMPARE(rgbAt(target, 2, 2), rgb(255, 0, 0));
        QCOMPARE(rgbAt(target, 5, 5), rgb(255, 0, 0));
        QCOMPARE(rgbAt(target, 7, 7), rgb(0xC0, 0xC0, 0xC0));
        QCOMPARE(rgbAt(target, 6, 4), rgb(0xC0, 0xC0, 0xC0));
        QCOMPARE(rgbAt(target, 8, 8), rgb(255, 255, 255)); // no shadow
        QCOMPARE(rgbAt(target, 1, 1), rgb(255, 255, 255));

        // Not hot: drawn in place with its shadow.
        QImage normal = filled(12, 12, qRgb(255, 255, 255));
        s.visualState = StateNormal;
        drawPicture(normal, d, s);
        QCOMPARE(rgbAt(normal, 2, 2), rgb(255, 255, 255));
        QCOMPARE(rgbAt(normal, 9, 9), rgb(0, 0xAA, 0));
    }
};

QTEST_MAIN(TestPictureEffects)
#include "test_pictureeffects.moc"
