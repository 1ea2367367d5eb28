// The surface operations of one gauge redraw on a 175 x 17 surface: clear to the
// background picture, copy part of the fill picture, centre and print the caption,
// present. The gauge animation does this on every value step.
#include "forms/surface.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

using namespace tarvo::forms;

namespace {

Picture solid(QColor colour) {
    QImage image(175, 17, QImage::Format_RGB32);
    image.fill(colour);
    return PictureObject::fromImage(image);
}

void surfaceRedraw(benchmark::State& state) {
    Surface surface(QSize(175, 17));
    surface.setPicture(solid(QColor(230, 230, 230)));
    const Picture fore = solid(QColor(40, 160, 60));
    int presented = 0;
    surface.setPresenter([&](const QRegion&) { ++presented; });
    int value = 0;
    for (auto _ : state) {
        value = (value + 1) % 1003;
        const int fill = value * 175 / 1002;
        const QString caption = QString::number(value) + QStringLiteral(" / 1000");
        surface.cls();
        surface.paintPicture(fore, QPoint(0, 0), QRect(0, 0, fill, 17));
        surface.setCurrentX(int(175 - surface.textWidth(caption)) / 2);
        surface.setCurrentY(int(17 - surface.textHeight(QString())) / 2);
        surface.print(caption);
        surface.refresh();
    }
    benchmark::DoNotOptimize(presented);
}
BENCHMARK(surfaceRedraw);

// The graph's scroll: the whole off-screen bitmap moved one pixel left onto itself.
void scrollBitmap(benchmark::State& state) {
    QImage bitmap(1 + 400 + 13, 160, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    for (auto _ : state) {
        gdi::bitBlt(bitmap, QPoint(-1, 20), bitmap, {0, 20, 413, 160});
        benchmark::ClobberMemory();
    }
}
BENCHMARK(scrollBitmap);

} // namespace
