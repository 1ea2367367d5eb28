// The window's web pane flooded by a stand-in helper (webflood) that speaks the real
// protocol: one row per flood (1,000,000 Frames; 64 innerHTMLs of 1 M characters; a Frame
// address of 4 M characters; a link area of 2,000,000 x 2,000,000 around a 10 x 10
// picture), beside a fair page (the largest, after 8 Frames) for reference. Each
// completion is handled as the main window does (the innerHTML searched for the maker's
// marker). It reports the longest time the window's thread went without returning to its
// event loop (target: at most 50 ms), how long after the pane showed the broken protocol
// (or the fair page) the stand-in was ended (target: within 1 s; -1: never), and how many
// links a click outside the picture opened (target: none).
#include "loopgap.h"
#include "platform/webpane/helperpane.h"
#include "platform/webpane/paneview.h"
#include "support/urlcatcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

using tarvo::platform::IWebPane;
using tarvo::platform::webpane::HelperWebPane;
using tarvo::platform::webpane::PaneView;

const char* const Floods[] = {"/fair", "/frames", "/documents", "/url", "/links"};

// This process's children: the helper is started from the window's thread.
QSet<QString> children() {
    QSet<QString> found;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/children")));
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& pid : file.readAll().split(' '))
                if (!pid.trimmed().isEmpty())
                    found.insert(QString::fromLatin1(pid.trimmed()));
    }
    return found;
}

// Ended: gone, or a zombie waiting to be reaped.
bool ended(const QString& pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

void BM_Flood(benchmark::State& state) {
    const QString flood = QLatin1String(Floods[state.range(0)]);
    tarvo::platform::webpane::WebPaneLimits limits;
    limits.helper = QStringLiteral(TARVO_WEB_FLOOD);
    limits.timeout = std::chrono::milliseconds(15000);
    QWidget host;
    host.resize(728, 90);
    auto* pane = new HelperWebPane(limits, &host);
    auto* view = static_cast<PaneView*>(pane->widget());
    view->resize(728, 90);
    host.show();
    int marked = 0;
    QObject::connect(pane, &IWebPane::DocumentComplete, [&] {
        marked += pane->documentElementInnerHtml().contains(QLatin1String("<TITLE>kiv</TITLE>"));
    });

    LoopGap gap;
    qint64 endedAfter = -1;
    int completions = 0;
    tarvo::testing::UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    for (auto _ : state) {
        QSignalSpy spy(pane, &IWebPane::DocumentComplete);
        const QSet<QString> before = children();
        const QElapsedTimer& clock = gap.start();
        pane->Navigate(QStringLiteral("http://127.0.0.1:9") + flood);
        const QSet<QString> started = children() - before;
        const QString helper = started.isEmpty() ? QString() : *started.begin();
        // The last completion is the page's, or the failure's.
        const auto done = [&] {
            return !spy.isEmpty() && spy.last().at(0).toString().endsWith(flood);
        };
        while (clock.elapsed() < 20000 && !done())
            spy.wait(5);
        const qint64 doneAt = clock.elapsed();
        while (!helper.isEmpty() && clock.elapsed() < doneAt + 5000 && !ended(helper))
            QTest::qWait(1);
        if (done() && !helper.isEmpty() && ended(helper))
            endedAfter = clock.elapsed() - doneAt;
        completions = int(spy.count());
        state.SetIterationTime(double(clock.elapsed()) / 1000);
        gap.stop();
    }
    // A click outside the picture, where the link area claimed to be.
    QWidget* surface = view->viewport();
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(600, 60));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    state.SetLabel(
        QStringLiteral("%1: %2").arg(flood, view->text().simplified().left(60)).toStdString());
    state.counters["longest_gap_ms"] = gap.longestMs();
    state.counters["longest_gap_cpu_ms"] = gap.longestCpuMs();
    state.counters["ended_after_ms"] = double(endedAfter);
    state.counters["completions"] = completions;
    state.counters["opened_outside"] = double(catcher.opened.size());
}
BENCHMARK(BM_Flood)->ArgName("flood")->DenseRange(0, 4)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);

} // namespace
