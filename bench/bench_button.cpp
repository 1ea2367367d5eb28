// One redraw of the main window's button (style 10, 147 x 53, caption "隐藏") and of the
// style with the most gradients (3, hot: two bodies and four side bands), each built
// pixel by pixel in memory and copied in one block.
#include "controls/button/tqbutton.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarvo;

namespace {

std::unique_ptr<tqbutton> makeButton(int style) {
    auto button = std::make_unique<tqbutton>();
    forms::PropertyBag bag;
    bag.setRaw(QStringLiteral("ButtonStyle"), style);
    bag.setRaw(QStringLiteral("BackColor"), 0xFFD1AD);
    bag.setRaw(QStringLiteral("Caption"), QStringLiteral("隐藏"));
    bag.setRaw(QStringLiteral("Font"),
               QVariantMap{{QStringLiteral("name"), QStringLiteral("Tahoma")},
                           {QStringLiteral("size"), 9}});
    button->ReadProperties(bag, forms::ambientFont());
    button->resize(147, 53);
    button->show();
    QCoreApplication::processEvents();
    return button;
}

void redraw(benchmark::State& state, int style, bool hot) {
    const auto button = makeButton(style);
    if (hot) {
        const QPointF at(30, 20);
        QMouseEvent move(QEvent::MouseMove, at, button->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(button.get(), &move);
    }
    for (auto _ : state)
        button->Refresh();
    state.counters["redraws/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void splitGradientNormal(benchmark::State& state) {
    redraw(state, StyleSplitGradient, false);
}
BENCHMARK(splitGradientNormal)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void splitGradientHot(benchmark::State& state) {
    redraw(state, StyleSplitGradient, true);
}
BENCHMARK(splitGradientHot)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void sideShadedHot(benchmark::State& state) {
    redraw(state, StyleSideShaded, true);
}
BENCHMARK(sideShadedHot)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

} // namespace
