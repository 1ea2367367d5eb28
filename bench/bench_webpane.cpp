// The window's side of a web pane. ShowPage: the helper's message in, the picture on
// screen, for the largest picture the caps allow (the 728 x 90 banner pane's, and the
// largest any pane may have). HostilePage: one page of each hostile class through the
// real helper and the real pane, from a server on 127.0.0.1; it reports the longest time
// the window's thread went without returning to its event loop (target: under 50 ms),
// the process's peak resident size (target: under 150 MB) and how many requests went to
// a path the page must never reach (target: none).
#include "loopgap.h"
#include "platform/webpane/helperpane.h"
#include "platform/webpane/paneview.h"
#include "support/hostilepages.h"
#include "support/httpserver.h"
#include "support/pngbytes.h"
#include "webprotocol/caps.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

using tarvo::testing::LocalHttpServer;
using namespace tarvo::webprotocol;
using Routes = QList<std::pair<QByteArray, LocalHttpServer::Response>>;

void BM_ShowPage(benchmark::State& state) {
    const QSize pane = state.range(0) == 0 ? QSize(728, 90) : QSize(MaxPaneSide, MaxPaneSide);
    const int ratio = state.range(0) == 0 ? 1 : MaxPixelRatio;
    Message page;
    page.kind = Message::Kind::Page;
    page.url = QUrl(QStringLiteral("http://kiv.test/"));
    page.picture = QImage(maxPicture(pane, ratio), QImage::Format_RGB32);
    page.picture.fill(Qt::darkCyan);
    page.picture.setDevicePixelRatio(ratio);
    for (int i = 0; i < MaxLinks; ++i)
        page.links << Link{QRect(i, 0, 10, 10), QUrl(QStringLiteral("http://kiv.test/%1").arg(i)),
                           QStringLiteral("link %1").arg(i)};
    page.text = QString(MaxText, u'网');
    const QByteArray bytes = encode(Message{}) + encode(page); // a page comes after its document
    tarvo::platform::webpane::PaneView view;
    view.resize(pane);
    view.show();
    for (auto _ : state) {
        MessageReader reader(pane, ratio);
        reader.feed(bytes);
        reader.next();
        view.showPage(reader.next().value());
        view.viewport()->repaint();
    }
    state.counters["picture_pixels"] = double(page.picture.width()) * page.picture.height();
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ShowPage)->ArgName("largest")->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

qint64 peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

QByteArray repeated(const QByteArray& unit, int count) {
    return unit.repeated(count);
}

// One page per class; the page is /page, and /elsewhere must never be asked for.
QList<std::pair<const char*, Routes>> hostilePages() {
    const auto page = [](const QByteArray& html) {
        return LocalHttpServer::Response{200, "text/html", "<title>kiv</title>" + html, {}};
    };
    const LocalHttpServer::Response away{302, "text/html", {}, {{"Location", "%elsewhere"}}};
    const QByteArray attributes = tarvo::testing::manyAttributes();
    const QByteArray formatting = tarvo::testing::reopenedFormatting();
    const LocalHttpServer::Response chunked = tarvo::testing::endlessChunk();
    Routes pictures{{"/page", page(repeated("<img src=/p.png><img src=/q.png>", 8))}};
    QImage side(2048, 2048, QImage::Format_RGB32);
    side.fill(Qt::red);
    pictures.append({"/p.png", {200, "image/png", tarvo::testing::pngBytes(side)}});
    pictures.append({"/q.png", {200, "image/png", tarvo::testing::pngBytes(side.mirrored())}});
    const QByteArray huge = "99999999";
    QByteArray deep = "<style>";
    for (int i = 0; i < 200; ++i)
        deep += repeated("div ", 20) + "{ border: 1px solid } ";
    deep += "</style>" + repeated("<div>", 23) + repeated("x<br>", 1900);
    return {
        {"100,000 unclosed rt", {{"/page", page(repeated("<rt>", 100000))}}},
        {"one tag of 140,000 attributes", {{"/page", page(attributes)}}},
        {"formatting reopened in 10,000 blocks", {{"/page", page(formatting)}}},
        {"a gigabyte chunk", {{"/page", chunked}}},
        {"two frames of 1 MiB of paragraphs",
         {{"/page", page("<iframe src=/a></iframe><iframe src=/b></iframe>")},
          {"/a", page(repeated("<p>x", 1 << 18))},
          {"/b", page(repeated("<p>y", 1 << 18))}}},
        {"a frame and a picture redirected elsewhere",
         {{"/page", page("<iframe src=/f></iframe><img src=/i>")}, {"/f", away}, {"/i", away}}},
        {"16 pictures of 2048 x 2048", pictures},
        {"extreme lengths in style and table attributes",
         {{"/page",
           page("<table width=" + huge + " cellpadding=" + huge + " border=" + huge +
                "><tr><td style=\"padding:" + huge + "px;letter-spacing:" + huge +
                "px;line-height:" + huge + "px;text-indent:" + huge + "px\">" + repeated("x ", 20) +
                "</td><td width=" + huge + " height=" + huge + ">y</td></tr></table>")}}},
        {"table cells with very large spans",
         {{"/page", page(repeated("<table><tr><td colspan=65535 rowspan=65535>x</td>"
                                  "<td rowspan=65535>y</td></tr></table>",
                                  20))}}},
        {"a style sheet and many line breaks",
         {{"/page",
           page("<style>" + repeated("br { margin: 99999px } p { padding: 9999px } ", 350) +
                "</style>" + repeated("<br>", 20000))}}},
        {"style sheets matched against deep nesting", {{"/page", page(deep)}}},
        {"elements and text the caps did not count",
         {{"/page", page(repeated("<style>p{}</style>", 40000) + repeated("<br><hr>", 60000) +
                         repeated("<img alt=\"" + QByteArray(4000, 'a') + "\" src=/none>", 125))}}},
        {"the page redirected elsewhere", {{"/page", away}}},
    };
}

void BM_HostilePage(benchmark::State& state) {
    const auto [name, routes] = hostilePages().at(state.range(0));
    LocalHttpServer server;
    server.listen();
    for (auto [path, response] : routes) {
        for (auto& [header, value] : response.headers)
            value.replace("%elsewhere",
                          "http://localhost:" + QByteArray::number(server.port()) + "/elsewhere");
        server.route(path, response);
    }
    tarvo::platform::webpane::WebPaneLimits limits;
    limits.helper = QStringLiteral(TARVO_WEB_HELPER);
    limits.timeout = std::chrono::milliseconds(10000);
    QWidget host;
    host.resize(728, 90);
    auto* pane = new tarvo::platform::webpane::HelperWebPane(limits, &host);
    pane->widget()->resize(728, 90);
    host.show();

    LoopGap gap;
    for (auto _ : state) {
        QSignalSpy spy(pane, &tarvo::platform::IWebPane::DocumentComplete);
        const QElapsedTimer& clock = gap.start();
        pane->Navigate(server.origin() + QStringLiteral("/page"));
        while (clock.elapsed() < 20000 &&
               (spy.isEmpty() || !spy.last().at(0).toString().endsWith(QLatin1String("/page"))))
            spy.wait(10);
        state.SetIterationTime(double(clock.elapsed()) / 1000);
        gap.stop();
    }
    const QString shown = static_cast<tarvo::platform::webpane::PaneView*>(pane->widget())->text();
    state.SetLabel(QStringLiteral("%1: %2")
                       .arg(QLatin1String(name), shown.simplified().left(60))
                       .toStdString());
    state.counters["longest_gap_ms"] = gap.longestMs();
    state.counters["longest_gap_cpu_ms"] = gap.longestCpuMs();
    state.counters["peak_rss_mb"] = double(peakResidentKiB()) / 1024;
    state.counters["elsewhere"] = double(server.requests().count("/elsewhere"));
}
BENCHMARK(BM_HostilePage)
    ->ArgName("page")
    ->DenseRange(0, 12)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
