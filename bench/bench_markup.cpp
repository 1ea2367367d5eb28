// The web pane's markup work on one page: parse (nesting limit included), innerHTML, and
// the markup shown, in the helper process; for the shipped banner page, a 1 MiB page of
// ordinary tables, 1 MiB of hostile nesting and misnested formatting, and a page that
// fills the shown document's caps. Then, still in the helper, each laid out at the banner
// pane's size and drawn.
#include "webhelper/markup.h"
#include "webhelper/pagepainter.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

using tarvo::webhelper::Markup;

QString repeated(const QString& unit, qsizetype bytes) {
    QString text;
    while (text.size() < bytes)
        text += unit;
    return text;
}

QString page(int kind) {
    switch (kind) {
    case 0: {
        QFile file(QStringLiteral(TARVO_WEB_PAGES "/kiv_top.html"));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }
    case 1:
        return QStringLiteral("<html><head><title>kiv</title></head><body><table>") +
               repeated(QStringLiteral("<tr><td><font size=2><a href=\"/n?id=1\">网络信息</a>"
                                       "</font></td><td>&nbsp;1.5</td></tr>"),
                        1 << 20) +
               QStringLiteral("</table></body></html>");
    case 2:
        return repeated(QStringLiteral("<div>"), 1 << 20);
    case 4: // 2,000 paragraphs of 32 characters: every cap but the markup's reached
        return repeated(
            QStringLiteral("<p><font color=red>网络信息网络信息网络信息网络信息网络信息网络信息网络"
                           "信息网络信息</font>"),
            1 << 20);
    default:
        return repeated(QStringLiteral("<b><p><i></b>x</p>"), 1 << 20);
    }
}

void BM_Markup(benchmark::State& state) {
    const QString text = page(int(state.range(0)));
    Markup::Display display;
    display.frameBody = [](int) { return QString(); };
    for (auto _ : state) {
        const Markup markup(text);
        benchmark::DoNotOptimize(markup.innerHtml());
        benchmark::DoNotOptimize(markup.displayHtml(display));
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_Markup)
    ->ArgName("page") // 0 banner, 1 tables, 2 nesting, 3 misnesting (1 MiB each), 4 caps
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond);

// Laying the shown markup out at the banner pane's size and drawing it.
void BM_PaintPage(benchmark::State& state) {
    const Markup markup(page(int(state.range(0))));
    Markup::Display display;
    display.frameBody = [](int) { return QString(); };
    const QString html = markup.displayHtml(display);
    tarvo::webprotocol::Request request;
    request.pane = QSize(728, 90);
    request.scrollBar = 15;
    for (auto _ : state)
        benchmark::DoNotOptimize(tarvo::webhelper::paintPage({}, html, {}, request));
}
BENCHMARK(BM_PaintPage)->ArgName("page")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
