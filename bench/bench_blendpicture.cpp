// Compositing one 32 x 32 button picture over the body drawing, as every redraw of a
// button with a picture does (and three more times with a shadow).
#include "controls/button/colourtables.h"
#include "controls/button/pictureeffects.h"

#include <QIcon>
#include <QPixmap>

#include <benchmark/benchmark.h>

using namespace tarvo;
using namespace tarvo::button;

namespace {

// A picture with every kind of pixel: colours, and a frame of the mask colour.
QImage artwork(bool alpha) {
    QImage image(32, 32, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool edge = x < 2 || y < 2 || x > 29 || y > 29;
            image.setPixel(x, y,
                           edge ? (alpha ? 0u : 0xFFE0E0E0u)
                                : qRgba(x * 8, y * 8, (x + y) * 4, alpha ? 200 : 255));
        }
    return image;
}

forms::Picture pictureFor(int kind) {
    switch (kind) {
    case 1:
        return forms::PictureObject::fromImage(artwork(true));
    case 2:
        return forms::PictureObject::fromIcon(QIcon(QPixmap::fromImage(artwork(true))));
    default:
        return forms::PictureObject::fromImage(artwork(false));
    }
}

// Argument: 0 bitmap, 1 bitmap with alpha, 2 icon; visual state; enabled.
void blendPicture32(benchmark::State& state) {
    const forms::Picture picture = pictureFor(int(state.range(0)));
    BlendSettings settings(BrightenTable(), DarkenTable());
    settings.visualState = int(state.range(1));
    settings.enabled = state.range(2) != 0;
    settings.disabledPictureMode = 1;
    settings.pictureOpacity = 230;
    QImage surface(120, 40, QImage::Format_RGB32);
    surface.fill(QColor(236, 233, 216));
    const forms::gdi::Rect rect{6, 4, 38, 36};
    const forms::OleColor key = keyColourFor(picture, 0xE0E0E0);
    for (auto _ : state) {
        blendPicture(surface, rect, picture, key, std::nullopt, settings);
        benchmark::DoNotOptimize(surface.constBits());
    }
}
BENCHMARK(blendPicture32)
    ->ArgNames({"kind", "state", "enabled"})
    ->Args({0, 0, 1})
    ->Args({0, 1, 1})
    ->Args({1, 2, 1})
    ->Args({2, 1, 1})
    ->Args({0, 0, 0})
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace
