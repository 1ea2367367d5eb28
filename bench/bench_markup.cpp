// The web pane's markup work on one page: parse (nesting limit included), innerHTML, and
// the markup shown, in the helper process; for the shipped banner page, a 1 MiB page of
// ordinary tables, 1 MiB of hostile nesting and misnested formatting, and a page that
// fills the shown document's caps. Then, in the window, showing each in the pane, laid
// out in full: the one piece of a page's work the window's thread does.
#include "platform/webpane/paneview.h"
#include "webhelper/markup.h"

#include <QFile>
#include <QString>
#include <QTextDocument>

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

// Laying the shown markup out in the pane's text browser.
void BM_ShowPage(benchmark::State& state) {
    const Markup markup(page(int(state.range(0))));
    Markup::Display display;
    display.frameBody = [](int) { return QString(); };
    const QString html = markup.displayHtml(display);
    tarvo::platform::webpane::PaneView view;
    view.resize(728, 90);
    for (auto _ : state) {
        view.showPage(html, {});
        benchmark::DoNotOptimize(view.document()->size()); // the whole layout
    }
    state.counters["characters"] = double(view.document()->characterCount());
    state.counters["blocks"] = double(view.document()->blockCount());
}
BENCHMARK(BM_ShowPage)->ArgName("page")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
