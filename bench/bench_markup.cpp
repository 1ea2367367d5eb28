// The web pane's markup work on one page: parse (nesting limit included), innerHTML, and
// the markup shown; for the shipped banner page, a 1 MiB page of ordinary tables, and
// 1 MiB of hostile nesting and misnested formatting; and showing each in the pane.
#include "web/markup.h"
#include "platform/web/paneview.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

using tarvo::web::Markup;

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
    ->ArgName("page") // 0 banner, 1 tables 1 MiB, 2 nesting 1 MiB, 3 misnesting 1 MiB
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMillisecond);

// Laying the shown markup out in the pane's text browser.
void BM_ShowPage(benchmark::State& state) {
    const Markup markup(page(int(state.range(0))));
    Markup::Display display;
    display.frameBody = [](int) { return QString(); };
    const QString html = markup.displayHtml(display);
    tarvo::platform::web::PaneView view;
    view.resize(728, 90);
    for (auto _ : state)
        view.showPage(html, {});
}
BENCHMARK(BM_ShowPage)->ArgName("page")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
