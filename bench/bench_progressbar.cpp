// One Value assignment with its redraw on a 175 x 17 bar, as the main window's gauge
// animation does on every tick of its fast timer.
#include "controls/progressbar/ucprogressbar.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarvo;

namespace {

forms::Picture gradient(const QColor& from, const QColor& to) {
    QImage image(175, 17, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient fill(0, 0, 0, 17);
    fill.setColorAt(0, from);
    fill.setColorAt(1, to);
    painter.fillRect(image.rect(), fill);
    return forms::PictureObject::fromImage(image);
}

// The main window's bar 0: 175 x 17, Max 1002, value and " / 1000" as caption.
std::unique_ptr<ucProgressBar> makeBar() {
    auto bar = std::make_unique<ucProgressBar>();
    bar->setBarFont(forms::makeFont({QStringLiteral("宋体"), 9.0, 400, forms::CharsetGb2312}));
    bar->setBarPictureFore(gradient(QColor(120, 220, 120), QColor(20, 140, 40)));
    bar->setBarPictureBack(gradient(QColor(240, 240, 240), QColor(200, 200, 200)));
    bar->setMax(1002);
    bar->setCaptionFormat(CaptionCustomText);
    bar->setCaptionCustom(QStringLiteral(" / 1000"));
    bar->show();
    return bar;
}

void valueAssignment(benchmark::State& state) {
    const auto bar = makeBar();
    QCoreApplication::processEvents();
    int value = 0;
    for (auto _ : state) {
        bar->setValue(value);
        value = value == 1002 ? 0 : value + 1;
    }
    state.counters["assignments/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(valueAssignment)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

// The same with the widget's repaint from the retained image, for comparison.
void valueAssignmentAndPaint(benchmark::State& state) {
    const auto bar = makeBar();
    int value = 0;
    for (auto _ : state) {
        bar->setValue(value);
        bar->repaint();
        value = value == 1002 ? 0 : value + 1;
    }
    state.counters["assignments/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(valueAssignmentAndPaint)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace
