#include "main/form1.h"

#include "main/connectiontext.h"

#include "controls/progressbar/ucprogressbar.h"
#include "controls/titlebar/mictitlebar.h"
#include "forms/imagecontrol.h"
#include "forms/surfacewidget.h"
#include "forms/yield.h"
#include "platform/fake/fakeconnection.h"
#include "platform/fake/fakeiftable.h"
#include "platform/fake/fakeprocess.h"
#include "platform/fake/fakeresolver.h"
#include "platform/fake/fakesingleinstance.h"
#include "platform/fake/faketray.h"
#include "platform/fake/fakewebpane.h"
#include "platform/services.h"
#include "platform/webpane/helperpane.h"
#include "support/httpserver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace tarvo;
using namespace tarvo::forms;
using namespace tarvo::platform;

namespace {

constexpr quint32 LanFlags = connflag::Lan | connflag::Configured;

// One main window over fakes of every platform service. Nothing here waits on real
// time: the handlers are called directly, and yields do nothing.
struct Rig {
    FakeSingleInstance* instance = nullptr;
    FakeInterfaceTable* table = nullptr;
    FakeTrayIcon* tray = nullptr;
    FakeConnectionSource* connection = nullptr;
    FakeHostResolver* resolver = nullptr;
    FakeProcessLauncher* launcher = nullptr;
    FakeWebPaneFactory* webPanes = nullptr;
    PlatformServices services;
    std::unique_ptr<form1> form;

    // Without a table the statistics reader cannot be made.
    explicit Rig(bool withTable = true) {
        services.instance = own(instance);
        services.interfaceTable = own(table);
        services.tray = own(tray);
        services.connection = own(connection);
        services.resolver = own(resolver);
        services.processes = own(launcher);
        services.webPanes = own(webPanes);
        resolver->add("probe.test", {127, 0, 0, 1});
        if (!withTable) {
            services.interfaceTable.reset();
            table = nullptr;
        }
        form = std::make_unique<form1>(services, Hosts{QStringLiteral("probe.test")});
    }

    template <typename T> static std::unique_ptr<T> own(T*& raw) {
        auto owned = std::make_unique<T>();
        raw = owned.get();
        return owned;
    }

    void loadAndShow() {
        QVERIFY(form->Form_Load());
        form->show();
    }

    void online(const QByteArray& name = "eth0") { connection->set(true, LanFlags, name); }
    void offline() { connection->set(false, 0, {}); }

    void setTotals(qint64 recvBytes, qint64 sentBytes) {
        FakeIfRow row;
        row.name = QStringLiteral("eth0");
        row.index = 2;
        row.inOctets = quint32(recvBytes);
        row.outOctets = quint32(sentBytes);
        row.octets64 = IfOctets64{quint64(recvBytes), quint64(sentBytes)};
        table->setRows({row});
    }
    void setTotalsKB(qint64 recvKB, qint64 sentKB) { setTotals(recvKB * 1024, sentKB * 1024); }
    // One sampling tick over these totals.
    void sampleKB(qint64 recvKB, qint64 sentKB) {
        setTotalsKB(recvKB, sentKB);
        form->Timer2_Timer();
    }

    void pingReplies(const QByteArray& output) { launcher->setOutput({output}); }

    void animate(int ticks) {
        for (int tick = 0; tick < ticks; ++tick)
            form->Timer3_Timer();
    }
    // More animation steps than the longest animation (1002 steps and one) takes.
    void animateToRest() { animate(1100); }
    QList<int> values() const {
        return {form->bar(0).Value(), form->bar(1).Value(), form->bar(2).Value()};
    }

    QLabel* label(const char* name) const { return form->findChild<QLabel*>(QLatin1String(name)); }
    QString text(const char* name) const { return label(name)->text(); }
    ImageControl* image(const QString& name) const { return form->findChild<ImageControl*>(name); }
    ImageControl* ratingHolder(int bracket) const {
        return image(bracket == 0 ? QStringLiteral("Image1(1)")
                                  : QStringLiteral("Image%1").arg(bracket + 1));
    }
    Surface& surface(const char* name) const {
        return form->findChild<SurfaceWidget*>(QLatin1String(name))->surface();
    }
    QWidget* widget(const char* name) const {
        return form->findChild<QWidget*>(QLatin1String(name));
    }
};

// The lower placeholder as it looks with exactly these lines printed into it.
QImage placeholderWithLines(QSize size, const QStringList& lines) {
    Surface expected(size);
    expected.setBackColor(rgb(114, 170, 240));
    expected.setFont(ambientFont());
    expected.cls();
    for (const QString& line : lines)
        expected.print(line);
    return expected.image();
}

const QString Initialising = QStringLiteral("正在初始化....");
const QString Loading = QStringLiteral("正在载入网络信息...");
const QString Welcome = QStringLiteral("欢迎使用Tarvo1.5");

// The notice of a second copy is modal: answer it with its OK button once it is up.
void answerNoticeWhenShown(QString* text, QString* title, int* buttons) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        *text = box->text();
        *title = box->windowTitle();
        *buttons = int(box->buttons().size());
        poll->deleteLater();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    });
    poll->start();
}

qint64 iconKey(const Picture& picture) {
    return picture ? picture->icon().cacheKey() : -1;
}

// The verdicts of the seven latency brackets.
const QString verdicts[7] = {QStringLiteral("网络延迟小！"),   QStringLiteral("网络延迟较小！"),
                             QStringLiteral("网络延迟较大！"), QStringLiteral("网络延迟较大！"),
                             QStringLiteral("网络延迟较大！"), QStringLiteral("网络延迟较大！"),
                             QStringLiteral("网络延迟大！")};

// Rows of a surface whose pixels in the given columns have this colour.
QList<int> rowsWithColour(const QImage& image, int fromX, int toX, QRgb colour) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = fromX; x < toX; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                rows << y;
                break;
            }
    return rows;
}

} // namespace

class TestForm1 final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadInstallsTrayAndFillsTables();
    void unloadRemovesTheTrayIcon();
    void secondCopyIsRefused();
    void layout_data();
    void layout();
    void timerIntervals_data();
    void timerIntervals();

    void firstTickOnlyRecords_data();
    void firstTickOnlyRecords();
    void rateBecomesTheTarget_data();
    void rateBecomesTheTarget();
    void counterResetRestsAtZero();
    void firstProbeRunsOnce();
    void firstProbeWaitsForConnectionAndWindow();
    void hiddenWindowOnlyQueriesTheConnection();
    void totalsLabels_data();
    void totalsLabels();
    void totalsWithoutAReader();

    void animationTakesStepsPlusOne();
    void animationWaitsForConnection();
    void minimisedWindowKeepsAnimating();

    void connectionLine_data();
    void connectionLine();
    void disconnectedTickShowsCheckNetwork();
    void connectionText_data();
    void connectionText();

    void ratingBrackets_data();
    void ratingBrackets();
    void probeScores_data();
    void probeScores();
    void failedProbeKeepsTheTarget_data();
    void failedProbeKeepsTheTarget();
    void busyLatencyBarSkipsTheProbe();
    void hiddenWindowProbesOnce();

    void graphFollowsTheTargets();
    void graphScrollsOnceATick();

    void titleBarMinimiseHides_data();
    void titleBarMinimiseHides();
    void titleBarCloseUnloads();
    void hideButtonFromTheKeyboard_data();
    void hideButtonFromTheKeyboard();
    void titleBarDressesTheWindow_data();
    void titleBarDressesTheWindow();

    void loadNavigatesBothPanesSilently();
    void placeholdersCoverThePanes();
    void upperPaneUncoversOnTheMarker_data();
    void upperPaneUncoversOnTheMarker();
    void upperPaneStaysUncovered();
    void lowerPaneLines_data();
    void lowerPaneLines();
    void panesAgainstALocalServer();

private:
    std::unique_ptr<Rig> m_rig;
};

void TestForm1::init() {
    setYieldHandler([] {});
    m_rig = std::make_unique<Rig>();
}

void TestForm1::cleanup() {
    m_rig.reset();
    setYieldHandler({});
}

// ---- start-up, shutdown, layout ----

void TestForm1::loadInstallsTrayAndFillsTables() {
    Rig& r = *m_rig;
    r.loadAndShow();
    form1& f = *r.form;

    QCOMPARE(r.instance->claims(), 1);
    QVERIFY(r.tray->isShown());
    QCOMPARE(r.tray->requests().front().action, NotifyAction::Add);
    QCOMPARE(r.tray->requests().front().data.window.data(), &f);
    QVERIFY(!f.windowIcon().isNull());
    QCOMPARE(r.tray->current().icon.cacheKey(), f.windowIcon().cacheKey());
    QCOMPARE(r.tray->tip(), QStringLiteral("欢迎使用Tarvo"));
    QVERIFY(f.apiStuff().isHooked());

    // "正在初始化...." is printed into the lower placeholder.
    const QImage placeholder = r.surface("Picture2").image();
    const QRgb back = qRgb(114, 170, 240);
    int printed = 0;
    for (int y = 0; y < placeholder.height(); ++y)
        for (int x = 0; x < placeholder.width(); ++x)
            printed += (placeholder.pixel(x, y) & 0xFFFFFF) != (back & 0xFFFFFF);
    QVERIFY(printed > 20);

    for (int n = 1; n <= 4; ++n)
        QVERIFY(f.timer(n).isEnabled());

    // Not online until the first query: the probe tick only says so.
    f.Timer1_Timer();
    QCOMPARE(r.tray->tip(), QStringLiteral("请检查网络"));
    QVERIFY(r.launcher->commandLines().isEmpty());

    // The latency bounds and verdicts (four equal ones in the middle).
    const std::pair<int, int> bounds[] = {{1000, 0}, {950, 0}, {949, 1}, {900, 1},
                                          {899, 2},  {799, 3}, {499, 4}, {300, 4},
                                          {299, 5},  {100, 5}, {99, 6}};
    for (auto [score, bracket] : bounds) {
        f.showLatencyRating(true, qint16(score));
        QCOMPARE(r.tray->tip(), verdicts[bracket]);
    }

    // The statistics reader was made: the first tick reads the table. The targets
    // start at 0, so the gauges stay there.
    r.online();
    r.setTotalsKB(5, 5);
    f.Timer2_Timer();
    QVERIFY(r.table->fetches() >= 1);
    QCOMPARE(r.text("lblRecv"), QStringLiteral("接收数据量：5 KB"));
    r.animateToRest();
    QCOMPARE(r.values(), (QList<int>{0, 0, 0}));
}

void TestForm1::unloadRemovesTheTrayIcon() {
    Rig& r = *m_rig;
    r.loadAndShow();
    QSignalSpy unloaded(r.form.get(), &form1::unloaded);

    r.form->close();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!r.tray->isShown());
    QCOMPARE(r.tray->requests().last().action, NotifyAction::Delete);
    QVERIFY(!r.form->apiStuff().isHooked());
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!r.form->timer(n).isEnabled());

    const qsizetype requests = r.tray->requests().size();
    r.form->Form_Unload();
    QCOMPARE(unloaded.count(), 1);
    QCOMPARE(r.tray->requests().size(), requests);
}

void TestForm1::secondCopyIsRefused() {
    Rig& r = *m_rig;
    r.instance->setHeldElsewhere(true);
    QString text, title;
    int buttons = 0;
    answerNoticeWhenShown(&text, &title, &buttons);

    QVERIFY(!r.form->Form_Load());
    QCOMPARE(text, QStringLiteral("Tarvo已经打开"));
    QCOMPARE(title, QStringLiteral("Tarvo提示"));
    QCOMPARE(buttons, 1);
    QVERIFY(r.tray->requests().isEmpty());
    QVERIFY(!r.form->apiStuff().isHooked());
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!r.form->timer(n).isEnabled());
    // No statistics reader was made: the totals refresh reads nothing.
    r.form->showTotals();
    QCOMPARE(r.table->sizeQueries() + r.table->fetches(), 0);
    QCOMPARE(r.text("lblRecv"), QStringLiteral("下载数据量："));
}

void TestForm1::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // width or height -1: not checked

    QTest::newRow("title bar") << "MicTitleBar1" << QRect(0, 0, 728, 24);
    QTest::newRow("banner") << "Picture1" << QRect(0, 22, 725, 89);
    QTest::newRow("upper web pane") << "WebBrowser1" << QRect(1, 23, 724, 90);
    QTest::newRow("lower web pane") << "WebBrowser2" << QRect(24, 378, 480, 80);
    QTest::newRow("graph") << "Picture3" << QRect(22, 152, 473, 193);
    QTest::newRow("latency bar") << "ucProgressBar(0)" << QRect(524, 158, 175, 17);
    QTest::newRow("receive bar") << "ucProgressBar(1)" << QRect(524, 210, 175, 17);
    QTest::newRow("send bar") << "ucProgressBar(2)" << QRect(522, 260, 175, 17);
    QTest::newRow("rating icon") << "Image10" << QRect(666, 308, 21, 16);
    QTest::newRow("status line") << "Label4" << QRect(540, 310, -1, -1);
    QTest::newRow("received total") << "lblRecv" << QRect(540, 332, 145, 17);
    QTest::newRow("lower placeholder") << "Picture2" << QRect(24, 378, 480, 80);
    QTest::newRow("hide button") << "tqbutton1" << QRect(538, 402, 147, 53);
    QTest::newRow("ping output box") << "Text1" << QRect(464, 444, 21, 25);
}

void TestForm1::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    form1& f = *m_rig->form;
    QCOMPARE(f.size(), QSize(728, 472));

    const QWidget* control = f.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->pos(), geometry.topLeft());
    if (geometry.width() >= 0)
        QCOMPARE(control->size(), geometry.size());
}

void TestForm1::timerIntervals_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("interval");
    QTest::newRow("Timer1: latency probe") << 1 << 20000;
    QTest::newRow("Timer2: sampling tick") << 2 << 1000;
    QTest::newRow("Timer3: animation step") << 3 << 2;
    QTest::newRow("Timer4: graph feed") << 4 << 8;
}

void TestForm1::timerIntervals() {
    QFETCH(int, number);
    QFETCH(int, interval);
    QCOMPARE(m_rig->form->timer(number).interval(), interval);
}

// ---- sampling tick ----

void TestForm1::firstTickOnlyRecords_data() {
    QTest::addColumn<int>("recvKB");
    QTest::addColumn<int>("sentKB");

    // The totals since the interfaces came up are no rate of one tick.
    QTest::newRow("small totals") << 150 << 10;
    QTest::newRow("large totals") << 300000 << 5000;
}

void TestForm1::firstTickOnlyRecords() {
    QFETCH(int, recvKB);
    QFETCH(int, sentKB);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();

    r.setTotalsKB(recvKB, sentKB);
    r.form->timer(2).fire();
    r.animateToRest();
    QCOMPARE(r.values().mid(1), (QList<int>{0, 0}));

    // The next tick's difference is the rate: both bars walk from 0 to it.
    r.sampleKB(recvKB + 120, sentKB + 30);
    r.animate(30);
    QCOMPARE(r.values().mid(1), (QList<int>{30, 30}));
    r.animateToRest();
    QCOMPARE(r.values().mid(1), (QList<int>{120, 30}));
}

void TestForm1::rateBecomesTheTarget_data() {
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("first");  // rate of the first tick, KB
    QTest::addColumn<int>("second"); // rate of the next tick
    QTest::addColumn<int>("shown");  // where the bar comes to rest

    for (int bar : {1, 2}) {
        const QByteArray which = bar == 1 ? "receive, " : "send, ";
        QTest::newRow(which + "falling 150 to 100") << bar << 150 << 100 << 100;
        QTest::newRow(which + "falling 199 to 0") << bar << 199 << 0 << 0;
        QTest::newRow(which + "rising 50 to 149") << bar << 50 << 149 << 149;
        QTest::newRow(which + "199 is on the scale") << bar << 0 << 199 << 199;
        QTest::newRow(which + "200 shows full") << bar << 150 << 200 << 199;
        QTest::newRow(which + "far off the scale") << bar << 10 << 90000 << 199;
    }
}

void TestForm1::rateBecomesTheTarget() {
    QFETCH(int, bar);
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, shown);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    const auto sample = [&](qint64 kb) { r.sampleKB(bar == 1 ? kb : 0, bar == 2 ? kb : 0); };
    const qint64 base = 1000;
    sample(base);
    r.animateToRest();
    sample(base + first);
    r.animateToRest();
    QCOMPARE(r.form->bar(bar).Value(), first);

    sample(base + first + second);
    r.animateToRest();
    QCOMPARE(r.form->bar(bar).Value(), shown);
    QCOMPARE(r.form->bar(3 - bar).Value(), 0);
}

void TestForm1::counterResetRestsAtZero() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.sampleKB(1000, 0);
    r.animateToRest();
    r.sampleKB(1060, 0);
    r.animateToRest();
    ucProgressBar& bar = r.form->bar(1);
    QCOMPARE(bar.Value(), 60);

    // The counters start again: no rate, the bar walks down to 0 in 60 steps.
    r.sampleKB(0, 0);
    for (int tick = 1; tick <= 60; ++tick) {
        r.form->Timer3_Timer();
        QCOMPARE(bar.Value(), 60 - tick);
    }
    r.animateToRest();
    QCOMPARE(bar.Value(), 0);

    // The next rate is shown as it is, not raised by the reset.
    r.sampleKB(20, 0);
    r.animateToRest();
    QCOMPARE(bar.Value(), 20);
}

void TestForm1::firstProbeRunsOnce() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.pingReplies("Minimum = 20ms, Maximum = 26ms, Average = 23ms\r\n");

    r.form->timer(2).fire();
    QCOMPARE(r.launcher->commandLines(), QStringList{pingCommandLine(QStringLiteral("127.0.0.1"))});
    QCOMPARE(r.tray->tip(), QStringLiteral("网络延迟小！"));

    r.animateToRest();
    QCOMPARE(r.form->bar(0).Value(), 977);
    for (int tick = 0; tick < 5; ++tick)
        r.form->timer(2).fire();
    QCOMPARE(r.launcher->commandLines().size(), 1);

    // Later probes are Timer1's.
    r.form->timer(1).fire();
    QCOMPARE(r.launcher->commandLines().size(), 2);
}

void TestForm1::firstProbeWaitsForConnectionAndWindow() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.pingReplies("Average = 23ms");

    r.offline();
    r.form->Timer2_Timer();
    r.online();
    r.form->hide();
    r.form->Timer2_Timer();
    QVERIFY(r.launcher->commandLines().isEmpty());

    r.form->show();
    r.form->Timer2_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    r.animateToRest();
    r.form->Timer2_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
}

void TestForm1::hiddenWindowOnlyQueriesTheConnection() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.sampleKB(0, 0);
    r.animateToRest();
    r.sampleKB(10, 5);
    r.animateToRest();
    const QString recvLabel = r.text("lblRecv");
    const QString sentLabel = r.text("lblSent");
    QCOMPARE(recvLabel, QStringLiteral("接收数据量：10 KB"));
    QCOMPARE(r.form->bar(1).Value(), 10);

    // A new rate (15 KB) starts bar 1; then the window goes.
    r.sampleKB(25, 10);
    r.form->hide();
    r.online("wlan0");
    r.setTotalsKB(40, 20);
    const int queries = r.connection->calls();
    const int fetches = r.table->fetches();
    r.form->Timer2_Timer();
    QCOMPARE(r.connection->calls(), queries + 1);
    QCOMPARE(r.text("Label4"), QStringLiteral("网络状态： wlan0"));
    QCOMPARE(r.table->fetches(), fetches);
    QCOMPARE(r.text("lblRecv"), QStringLiteral("接收数据量：25 KB"));

    // Bars and graph freeze.
    const QImage graph = r.surface("Picture3").image().copy();
    for (int tick = 0; tick < 22; ++tick) {
        r.form->Timer3_Timer();
        r.form->Timer4_Timer();
    }
    QCOMPARE(r.form->bar(1).Value(), 10);
    QVERIFY(r.surface("Picture3").image() == graph);

    // Shown again, the bar goes on. The first tick spans the whole hidden period: it
    // only records the totals, the target stays.
    r.form->show();
    r.form->Timer2_Timer();
    QCOMPARE(r.text("lblRecv"), QStringLiteral("接收数据量：40 KB"));
    r.animateToRest();
    QCOMPARE(r.form->bar(1).Value(), 15);
    r.sampleKB(47, 20);
    r.animateToRest();
    QCOMPARE(r.form->bar(1).Value(), 7);
    QCOMPARE(r.text("lblRecv"), QStringLiteral("接收数据量：47 KB"));
}

void TestForm1::totalsLabels_data() {
    QTest::addColumn<qint64>("recvBytes");
    QTest::addColumn<qint64>("sentBytes");
    QTest::addColumn<QString>("recvText");
    QTest::addColumn<QString>("sentText");
    QTest::addColumn<int>("recvRate"); // KB since a tick that read 0 bytes
    QTest::addColumn<int>("sentRate");

    const qint64 GiB = qint64(1) << 30;
    QTest::newRow("grouped") << qint64(1263616) << qint64(2048)
                             << QStringLiteral("接收数据量：1,234 KB")
                             << QStringLiteral("发送数据量：2 KB") << 199 << 2;
    // The label rounds halves away from zero, the KB count halves to even.
    QTest::newRow("halves") << qint64(2560) << qint64(3584) << QStringLiteral("接收数据量：3 KB")
                            << QStringLiteral("发送数据量：4 KB") << 2 << 4;
    QTest::newRow("nothing yet") << qint64(0) << qint64(0) << QStringLiteral("接收数据量：0 KB")
                                 << QStringLiteral("发送数据量：0 KB") << 0 << 0;
    QTest::newRow("a gigabyte") << GiB << GiB << QStringLiteral("接收数据量：1,048,576 KB")
                                << QStringLiteral("发送数据量：1,048,576 KB") << 199 << 199;
    // Past 2^31 and 2^32 bytes the totals go on counting.
    QTest::newRow("6 GiB") << 6 * GiB << 3 * GiB << QStringLiteral("接收数据量：6,291,456 KB")
                           << QStringLiteral("发送数据量：3,145,728 KB") << 199 << 199;
    QTest::newRow("2 TiB") << 2048 * GiB << 2 * GiB + 1536
                           << QStringLiteral("接收数据量：2,147,483,648 KB")
                           << QStringLiteral("发送数据量：2,097,154 KB") << 199 << 199;
}

void TestForm1::totalsLabels() {
    QFETCH(qint64, recvBytes);
    QFETCH(qint64, sentBytes);
    QFETCH(QString, recvText);
    QFETCH(QString, sentText);
    QFETCH(int, recvRate);
    QFETCH(int, sentRate);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.sampleKB(0, 0);
    r.animateToRest();
    r.setTotals(recvBytes, sentBytes);

    r.form->Timer2_Timer();
    QCOMPARE(r.text("lblRecv"), recvText);
    QCOMPARE(r.text("lblSent"), sentText);
    r.animateToRest();
    QCOMPARE(r.values().mid(1), (QList<int>{recvRate, sentRate}));

    // A megabyte more is a rate of 1024 KB at any total: off the scale, shown full.
    r.setTotals(recvBytes + 100 * 1024, sentBytes + 1024 * 1024);
    r.form->Timer2_Timer();
    r.animateToRest();
    QCOMPARE(r.values().mid(1), (QList<int>{100, 199}));
}

void TestForm1::totalsWithoutAReader() {
    Rig r(false);
    r.loadAndShow();
    r.online();
    // Every step that needs the reader fails alone; the window goes on.
    r.form->showTotals();
    QCOMPARE(r.text("lblRecv"), QStringLiteral("下载数据量："));
    QCOMPARE(r.text("lblSent"), QStringLiteral("上传数据量："));
    r.pingReplies("Average = 23ms");
    for (int tick = 0; tick < 3; ++tick)
        r.form->timer(2).fire();
    QCOMPARE(r.text("Label4"), QStringLiteral("网络状态： eth0"));
    r.animateToRest();
    QCOMPARE(r.values(), (QList<int>{977, 0, 0}));
    QVERIFY(r.form->timer(2).isEnabled());
}

// ---- animation ----

void TestForm1::animationTakesStepsPlusOne() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.sampleKB(0, 0);
    r.animateToRest();
    r.sampleKB(5, 0);
    r.animate(5);
    QCOMPARE(r.form->bar(1).Value(), 5);

    // No steps are left, but the bar is busy for one more tick: the next rate waits.
    r.sampleKB(13, 0);
    r.animate(3);
    QCOMPARE(r.form->bar(1).Value(), 5);
    // Idle now: the next tick starts it.
    r.sampleKB(21, 0);
    r.animate(3);
    QCOMPARE(r.form->bar(1).Value(), 8);
}

void TestForm1::animationWaitsForConnection() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.sampleKB(0, 0);
    r.animateToRest();
    r.sampleKB(3, 0);
    r.offline();
    r.form->showConnection();
    r.animate(10);
    QCOMPARE(r.form->bar(1).Value(), 0);

    r.online();
    r.form->showConnection();
    r.animate(10);
    QCOMPARE(r.form->bar(1).Value(), 3);
}

// A minimised window is still visible: the gauges, the graph and the probe go on. Only
// hiding it stops the fast timers.
void TestForm1::minimisedWindowKeepsAnimating() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.form->showConnection();
    r.pingReplies("Average = 120ms");

    r.form->showMinimized();
    QVERIFY(r.form->isMinimized());
    QVERIFY(r.form->isVisible());
    QVERIFY(r.form->timer(3).isEnabled());
    QVERIFY(r.form->timer(4).isEnabled());

    r.form->timer(1).fire();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    for (int tick = 0; tick < 890; ++tick)
        r.form->timer(3).fire();
    QCOMPARE(r.form->bar(0).Value(), 880);
    r.form->timer(1).fire();
    QCOMPARE(r.launcher->commandLines().size(), 2);

    const QImage graph = r.surface("Picture3").image().copy();
    r.form->timer(4).fire();
    QVERIFY(r.surface("Picture3").image() != graph);

    r.form->showNormal();
    QVERIFY(r.form->timer(3).isEnabled());
    r.form->hide();
    QVERIFY(!r.form->timer(3).isEnabled());
    QVERIFY(!r.form->timer(4).isEnabled());
    r.form->show();
    QVERIFY(r.form->timer(3).isEnabled());
    QVERIFY(r.form->timer(4).isEnabled());
}

// ---- connection status ----

void TestForm1::connectionLine_data() {
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("LAN") << true << QByteArray("eth0") << QStringLiteral("网络状态： eth0")
                         << QColor(0, 0, 0);
    QTest::newRow("Chinese name") << true << QByteArray("\xb1\xbe\xb5\xd8\xc1\xac\xbd\xd3")
                                  << QStringLiteral("网络状态： 本地连接") << QColor(0, 0, 0);
    QTest::newRow("no name") << true << QByteArray() << QStringLiteral("网络状态： ")
                             << QColor(0, 0, 0);
    QTest::newRow("disconnected") << false << QByteArray("eth0")
                                  << QStringLiteral("网络状态： 已断开") << QColor(255, 0, 0);
}

void TestForm1::connectionLine() {
    QFETCH(bool, connected);
    QFETCH(QByteArray, name);
    QFETCH(QString, line);
    QFETCH(QColor, colour);
    Rig& r = *m_rig;
    r.loadAndShow();
    QCOMPARE(r.text("Label4"), QStringLiteral("网络连接状态："));
    r.connection->set(connected, LanFlags, name);
    r.pingReplies("Average = 23ms");

    r.form->showConnection();
    QCOMPARE(r.text("Label4"), line);
    QCOMPARE(r.label("Label4")->palette().color(QPalette::WindowText), colour);
    // Online or not, as the probe tick sees it.
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), connected ? 1 : 0);
    QCOMPARE(r.tray->tip(), connected ? verdicts[0] : QStringLiteral("请检查网络"));
}

void TestForm1::disconnectedTickShowsCheckNetwork() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.setTotalsKB(10, 10);
    r.pingReplies("Average = 23ms");
    r.form->Timer2_Timer();
    QCOMPARE(r.tray->tip(), QStringLiteral("网络延迟小！"));
    const int probes = int(r.launcher->commandLines().size());

    r.offline();
    r.setTotalsKB(50, 50);
    r.form->Timer2_Timer();
    QCOMPARE(r.text("Label4"), QStringLiteral("网络状态： 已断开"));
    QCOMPARE(r.label("Label4")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(r.tray->tip(), QStringLiteral("请检查网络"));
    const Picture& offline = r.image(QStringLiteral("Image11"))->picture();
    QCOMPARE(offline->type(), PictureType::Icon);
    QCOMPARE(r.tray->current().icon.cacheKey(), iconKey(offline));
    QCOMPARE(r.image(QStringLiteral("Image10"))->picture(), offline);
    // The tick ended there: no totals, no probe.
    QCOMPARE(r.text("lblRecv"), QStringLiteral("接收数据量：10 KB"));
    r.form->Timer1_Timer();
    QCOMPARE(int(r.launcher->commandLines().size()), probes);
}

void TestForm1::connectionText_data() {
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QString>("text");

    QTest::newRow("none") << 0u << QStringLiteral("Connection is Not Configured.\r\n");
    QTest::newRow("LAN, configured")
        << quint32(LanFlags)
        << QStringLiteral("Connection uses LAN.\r\nConnection is Configured.\r\n");
    QTest::newRow("all") << 0x77u
                         << QStringLiteral("Connection uses a modem.\r\nConnection uses LAN.\r\n"
                                           "Connection is via Proxy.\r\nConnection is Off-line.\r\n"
                                           "Connection is Configured.\r\n"
                                           "System has RAS installed.\r\n");
    QTest::newRow("modem, RAS") << 0x11u
                                << QStringLiteral("Connection uses a modem.\r\nConnection is Not "
                                                  "Configured.\r\nSystem has RAS installed.\r\n");
}

void TestForm1::connectionText() {
    QFETCH(quint32, flags);
    QFETCH(QString, text);
    QCOMPARE(describeConnectionFlags(flags), text);
}

// ---- latency rating ----

void TestForm1::ratingBrackets_data() {
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("bracket");

    const std::pair<int, int> rows[] = {
        {1000, 0}, {950, 0}, {949, 1}, {900, 1}, {899, 2}, {800, 2}, {799, 3},  {500, 3},
        {499, 4},  {300, 4}, {299, 5}, {100, 5}, {99, 6},  {0, 6},   {1001, 6}, {-1, 6}};
    for (auto [score, bracket] : rows)
        QTest::addRow("%d", score) << score << bracket;
}

void TestForm1::ratingBrackets() {
    QFETCH(int, score);
    QFETCH(int, bracket);
    Rig& r = *m_rig;
    r.loadAndShow();

    r.form->showLatencyRating(true, qint16(score));
    QCOMPARE(r.tray->tip(), verdicts[bracket]);
    const Picture& holder = r.ratingHolder(bracket)->picture();
    QCOMPARE(holder->type(), PictureType::Icon);
    QCOMPARE(r.image(QStringLiteral("Image10"))->picture(), holder);
    QCOMPARE(r.tray->current().icon.cacheKey(), iconKey(holder));
}

void TestForm1::probeScores_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("bracket");

    QTest::newRow("23 ms") << QByteArray("Minimum = 20ms, Maximum = 26ms, Average = 23ms\r\n")
                           << 977 << 0;
    QTest::newRow("50 ms") << QByteArray("Average = 50ms") << 950 << 0;
    QTest::newRow("51 ms") << QByteArray("Average = 51ms") << 949 << 1;
    QTest::newRow("100 ms") << QByteArray("Average = 100ms") << 900 << 1;
    QTest::newRow("900 ms") << QByteArray("Average = 900ms") << 100 << 5;
    QTest::newRow("901 ms") << QByteArray("Average = 901ms") << 99 << 6;
    QTest::newRow("1000 ms") << QByteArray("Average = 1000ms") << 0 << 6;
    QTest::newRow("2500 ms") << QByteArray("Average = 2500ms") << 0 << 6;
    QTest::newRow("iputils") << QByteArray("rtt min/avg/max/mdev = 22.9/23.3/24.0/0.4 ms\n") << 977
                             << 0;
    // No answer is the worst verdict, not the best.
    QTest::newRow("every echo lost")
        << QByteArray("Request timed out.\r\nRequest timed out.\r\nRequest timed out.\r\n") << 0
        << 6;
    QTest::newRow("no output") << QByteArray() << 0 << 6;
}

void TestForm1::probeScores() {
    QFETCH(QByteArray, output);
    QFETCH(int, score);
    QFETCH(int, bracket);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.form->showConnection();
    r.pingReplies(output);

    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    QCOMPARE(r.form->bar(0).Value(), 0);
    QCOMPARE(r.tray->tip(), verdicts[bracket]);
    QCOMPARE(r.image(QStringLiteral("Image10"))->picture(), r.ratingHolder(bracket)->picture());

    // The bar walks to the score in |score| steps, and is busy (no probe) for one more.
    r.animate(score);
    QCOMPARE(r.form->bar(0).Value(), score);
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    r.animate(1);
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 2);
    QCOMPARE(r.form->bar(0).Value(), score);
}

void TestForm1::failedProbeKeepsTheTarget_data() {
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("garbage after Average") << QByteArray("Average = abcms");
    QTest::newRow("no unit") << QByteArray("Average = 23");
    QTest::newRow("does not fit 16 bits") << QByteArray("Average = 70000ms");
    QTest::newRow("truncated") << QByteArray("Minimum = 1ms, Maximum = 2ms, Average");
    QTest::newRow("iputils garbage") << QByteArray("rtt min/avg/max/mdev = 1/x/3/1 ms");
}

void TestForm1::failedProbeKeepsTheTarget() {
    QFETCH(QByteArray, output);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.form->showConnection();

    // A failure before any answer leaves the target at 0: the worst verdict.
    r.pingReplies(output);
    r.form->Timer1_Timer();
    QCOMPARE(r.tray->tip(), QStringLiteral("网络延迟大！"));
    r.animateToRest();
    QCOMPARE(r.form->bar(0).Value(), 0);

    r.pingReplies("Average = 23ms");
    r.form->Timer1_Timer();
    r.animateToRest();
    QCOMPARE(r.form->bar(0).Value(), 977);

    r.pingReplies(output);
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 3);
    QCOMPARE(r.tray->tip(), QStringLiteral("网络延迟小！"));
    QCOMPARE(r.image(QStringLiteral("Image10"))->picture(), r.ratingHolder(0)->picture());
    r.animateToRest();
    QCOMPARE(r.form->bar(0).Value(), 977);
}

void TestForm1::busyLatencyBarSkipsTheProbe() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.form->showConnection();
    r.pingReplies("Average = 23ms");
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    const qsizetype requests = r.tray->requests().size();

    // Still animating: no probe, no new verdict, the target stays.
    r.pingReplies("Average = 500ms");
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    QCOMPARE(r.tray->requests().size(), requests);
    r.animateToRest();
    QCOMPARE(r.form->bar(0).Value(), 977);

    r.pingReplies("Average = 23ms");
    r.form->Timer1_Timer();
    r.offline();
    r.form->showConnection();
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 2);
    QCOMPARE(r.tray->tip(), QStringLiteral("请检查网络"));
}

void TestForm1::hiddenWindowProbesOnce() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.form->showConnection();
    r.pingReplies("Average = 120ms");
    r.form->hide();

    r.form->timer(1).fire();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    QCOMPARE(r.tray->tip(), QStringLiteral("网络延迟较大！"));
    // The animation does not run while hidden, so the bar stays busy and no probe follows.
    for (int tick = 0; tick < 3; ++tick) {
        r.form->Timer3_Timer();
        r.form->timer(1).fire();
    }
    QCOMPARE(r.launcher->commandLines().size(), 1);

    r.form->show();
    r.animateToRest();
    r.form->timer(1).fire();
    QCOMPARE(r.launcher->commandLines().size(), 2);
}

// ---- graph feed ----

void TestForm1::graphFollowsTheTargets() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.pingReplies("Average = 200ms"); // latency target 800
    r.sampleKB(0, 0);
    // Bar 1 starts towards 150 and is still on its way when the next rate, 50, comes:
    // the graph shows the newest target, not where the bar is headed.
    r.sampleKB(150, 0);
    r.sampleKB(200, 0);

    Surface& graph = r.surface("Picture3");
    for (int call = 0; call < 66; ++call)
        r.form->timer(4).fire();
    const QImage image = graph.image();
    const int h = image.height();
    const int w = image.width();
    QCOMPARE(h, 193);
    // A line's height above the bottom is (H - 25) x ratio + line + 1: 50 of 200 puts the
    // download line (green) at row 149, 150 of 200 would put it at row 65. The newest
    // pieces are the rightmost columns.
    const QList<int> green = rowsWithColour(image, w - 30, w, qRgb(142, 255, 99));
    QVERIFY(!green.isEmpty());
    QVERIFY2(*std::min_element(green.begin(), green.end()) >= 146 &&
                 *std::max_element(green.begin(), green.end()) <= 152,
             qPrintable(QStringLiteral("green rows %1..%2").arg(green.first()).arg(green.last())));
    // 800 of 1002 puts the bandwidth line (blue) at row 193 - 135 = 58.
    const QList<int> blue = rowsWithColour(image, w - 30, w, qRgb(2, 181, 236));
    QVERIFY(!blue.isEmpty());
    QVERIFY(blue.first() >= 55 && blue.last() <= 61);
}

// Every Timer4 tick is one call of the graph routine, which scrolls the graph by one
// pixel.
void TestForm1::graphScrollsOnceATick() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.pingReplies("Average = 200ms");
    r.sampleKB(0, 0);
    r.sampleKB(90, 40);
    Surface& graph = r.surface("Picture3");
    for (int call = 0; call < 40; ++call) {
        r.form->timer(4).fire();
        if (call % 7 == 0) {
            r.sampleKB(90 + call, 40);
        }
    }

    for (int tick = 0; tick < 12; ++tick) {
        const QImage before = graph.image().copy();
        r.form->timer(4).fire();
        const QImage after = graph.image();
        int moved = 0;
        int differs = 0;
        for (int y = 20; y < after.height(); ++y)
            for (int x = 0; x + 1 < after.width(); ++x) {
                moved += after.pixel(x, y) == before.pixel(x + 1, y);
                differs += before.pixel(x, y) != before.pixel(x + 1, y);
            }
        QVERIFY(differs > 100); // the picture has structure to move
        QCOMPARE(moved, (after.height() - 20) * (after.width() - 1));
    }
}

// ---- title bar ----

namespace {

void clickTitleBar(form1& f, QPoint at) {
    auto* bar = f.findChild<MicTitleBar*>(QStringLiteral("MicTitleBar1"));
    QVERIFY(bar);
    const QPointF global = bar->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
}

const QPoint MinimiseButton(666, 12); // 728 - 72 + 10
const QPoint CloseButton(713, 12);    // 728 - 25 + 10

} // namespace

void TestForm1::titleBarMinimiseHides_data() {
    QTest::addColumn<bool>("trayAvailable");
    QTest::newRow("to the tray") << true;
    QTest::newRow("minimised without a notification area") << false;
}

// Like the other hide paths: the window stays loaded with its tray icon and timers.
void TestForm1::titleBarMinimiseHides() {
    QFETCH(bool, trayAvailable);
    Rig& r = *m_rig;
    r.tray->setAvailable(trayAvailable);
    r.loadAndShow();
    QSignalSpy unloaded(r.form.get(), &form1::unloaded);

    clickTitleBar(*r.form, MinimiseButton);
    QCOMPARE(r.form->isVisible(), !trayAvailable);
    QCOMPARE(r.form->isMinimized(), !trayAvailable);
    QCOMPARE(unloaded.count(), 0);
    QVERIFY(r.tray->isShown());
    QVERIFY(r.form->timer(1).isEnabled());
    QVERIFY(r.form->timer(2).isEnabled());

    if (trayAvailable) {
        r.tray->click(forms::WmLButtonUp);
        QVERIFY(r.form->isVisible());
    }
}

void TestForm1::titleBarCloseUnloads() {
    Rig& r = *m_rig;
    r.loadAndShow();
    QSignalSpy unloaded(r.form.get(), &form1::unloaded);

    clickTitleBar(*r.form, CloseButton);
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!r.tray->isShown());
    QCOMPARE(r.tray->requests().last().action, NotifyAction::Delete);
    QVERIFY(!r.form->apiStuff().isHooked());
    QVERIFY(!r.form->isVisible());
}

void TestForm1::titleBarDressesTheWindow_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    const QColor tile(114, 170, 240);
    const QColor frame(152, 92, 46);
    QTest::newRow("texture between graph and gauges") << QPoint(515, 400) << tile;
    QTest::newRow("texture under the labels") << QPoint(30, 132) << tile;
    QTest::newRow("left frame") << QPoint(0, 300) << frame;
    QTest::newRow("bottom frame") << QPoint(400, 471) << frame;
    QTest::newRow("right frame") << QPoint(727, 300) << frame;
    // The light green and pink headings keep the window's dark blue behind them.
    QTest::newRow("back of the receive heading") << QPoint(524, 190) << QColor(22, 134, 199);
    QTest::newRow("back of the send heading") << QPoint(523, 240) << QColor(22, 134, 199);
}

void TestForm1::titleBarDressesTheWindow() {
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    Rig& r = *m_rig;
    r.loadAndShow();
    const QImage shown = r.form->grab().toImage();
    QCOMPARE(shown.pixelColor(at), colour);

    // A fixed-size window: the maximise box shows the plain light blue and is off.
    auto* bar = r.form->findChild<MicTitleBar*>(QStringLiteral("MicTitleBar1"));
    QVERIFY(!bar->model().enabled(TitlePart::PicMaxU));
    QVERIFY(bar->model().enabled(TitlePart::PicMinU));
    QCOMPARE(shown.pixelColor(683, 5), QColor(114, 170, 240));
    QVERIFY(!r.form->mask().contains(QPoint(0, 0)));
    QVERIFY(r.form->mask().contains(QPoint(0, 4)));
}

// The hide button is reached with Tab and pressed with Space or Enter, like any button.
void TestForm1::hideButtonFromTheKeyboard_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("enter") << int(Qt::Key_Return);
}

void TestForm1::hideButtonFromTheKeyboard() {
    QFETCH(int, key);
    Rig& r = *m_rig;
    r.loadAndShow();
    QApplication::setActiveWindow(r.form.get());
    QVERIFY(QTest::qWaitForWindowActive(r.form.get()));
    QWidget* button = r.form->findChild<QWidget*>(QStringLiteral("tqbutton1"));
    QVERIFY(button);
    for (int tab = 0; tab < 20 && QApplication::focusWidget() != button; ++tab)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : r.form.get(),
                        Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    QVERIFY(r.form->isVisible());
    QTest::keyClick(button, Qt::Key(key));
    QVERIFY(!r.form->isVisible());
    QVERIFY(r.tray->isShown());
}

// ---- web panes ----

void TestForm1::loadNavigatesBothPanesSilently() {
    Rig& r = *m_rig;
    r.loadAndShow();
    FakeWebPane* upper = r.webPanes->pane(0);
    FakeWebPane* lower = r.webPanes->pane(1);
    QCOMPARE(upper->widget()->objectName(), QStringLiteral("WebBrowser1"));
    QCOMPARE(lower->widget()->objectName(), QStringLiteral("WebBrowser2"));
    QCOMPARE(upper->navigations(),
             QStringList{QStringLiteral("http://kiv.tarvo.example/kiv_top.php?version=1.5")});
    QCOMPARE(lower->navigations(),
             QStringList{QStringLiteral("http://kiv.tarvo.example/kiv.php?version=1.5")});
    QCOMPARE(upper->silentAtNavigation(), QList<bool>{true});
    QCOMPARE(lower->silentAtNavigation(), QList<bool>{true});
    // Until a page completes, the lower placeholder holds the start-up line alone.
    QCOMPARE(r.surface("Picture2").image(), placeholderWithLines(QSize(480, 80), {Initialising}));
}

void TestForm1::placeholdersCoverThePanes() {
    Rig& r = *m_rig;
    r.loadAndShow();
    QCOMPARE(r.form->childAt(300, 60), r.widget("Picture1"));
    QCOMPARE(r.form->childAt(300, 420), r.widget("Picture2"));
}

void TestForm1::upperPaneUncoversOnTheMarker_data() {
    QTest::addColumn<QVariant>("document"); // a QString, or nothing for no document
    QTest::addColumn<bool>("uncovered");

    QTest::newRow("kiv") << QVariant("<HEAD><TITLE>kiv</TITLE></HEAD><BODY></BODY>") << true;
    QTest::newRow("KIV") << QVariant("<HEAD><TITLE>KIV</TITLE></HEAD>") << false;
    QTest::newRow("kiv with blanks") << QVariant("<HEAD><TITLE> kiv </TITLE></HEAD>") << false;
    QTest::newRow("lower-case tags") << QVariant("<head><title>kiv</title></head>") << false;
    QTest::newRow("marker in the body")
        << QVariant("<BODY><P>&lt;<TITLE>kiv</TITLE></P></BODY>") << true;
    QTest::newRow("no document") << QVariant() << false;
}

void TestForm1::upperPaneUncoversOnTheMarker() {
    QFETCH(QVariant, document);
    QFETCH(bool, uncovered);
    Rig& r = *m_rig;
    r.loadAndShow();
    FakeWebPane* upper = r.webPanes->pane(0);
    if (document.isValid())
        upper->setDocument(document.toString());
    upper->completeFrame();
    QCOMPARE(r.widget("Picture1")->isVisible(), !uncovered);
    QCOMPARE(upper->documentReads(), 1);
    // The upper pane prints nothing.
    QCOMPARE(r.surface("Picture2").image(), placeholderWithLines(QSize(480, 80), {Initialising}));
}

void TestForm1::upperPaneStaysUncovered() {
    Rig& r = *m_rig;
    r.loadAndShow();
    FakeWebPane* upper = r.webPanes->pane(0);
    upper->completePage(QStringLiteral("<HEAD><TITLE>kiv</TITLE></HEAD>"));
    QVERIFY(!r.widget("Picture1")->isVisible());
    upper->completePage(QStringLiteral("<HEAD><TITLE>elsewhere</TITLE></HEAD>"));
    upper->setDocument(std::nullopt);
    upper->completeFrame();
    QVERIFY(!r.widget("Picture1")->isVisible());
}

void TestForm1::lowerPaneLines_data() {
    QTest::addColumn<QStringList>("completions"); // top-level markup at each; "-" none
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("covered");

    const QString marked = QStringLiteral("<HEAD><TITLE>kiv</TITLE></HEAD>");
    const QString error = QStringLiteral("<HEAD><TITLE>无法显示网页</TITLE></HEAD>");
    QTest::newRow("the maker's page")
        << QStringList{marked} << QStringList{Initialising, Loading} << false;
    QTest::newRow("unreachable server")
        << QStringList{error} << QStringList{Initialising, Loading, Welcome} << true;
    QTest::newRow("no document") << QStringList{"-"} << QStringList{Initialising, Loading, Welcome}
                                 << true;
    QTest::newRow("two frames, no marker")
        << QStringList{error, error, error}
        << QStringList{Initialising, Loading, Welcome, Loading, Welcome, Loading, Welcome} << true;
    QTest::newRow("two frames of the maker's page")
        << QStringList{marked, marked, marked}
        << QStringList{Initialising, Loading, Loading, Loading} << false;
    QTest::newRow("KIV in capitals is not the marker")
        << QStringList{QStringLiteral("<HEAD><TITLE>KIV</TITLE></HEAD>")}
        << QStringList{Initialising, Loading, Welcome} << true;
    QTest::newRow("foreign page, then the maker's")
        << QStringList{error, marked} << QStringList{Initialising, Loading, Welcome, Loading}
        << false;
}

void TestForm1::lowerPaneLines() {
    QFETCH(QStringList, completions);
    QFETCH(QStringList, lines);
    QFETCH(bool, covered);
    Rig& r = *m_rig;
    r.loadAndShow();
    FakeWebPane* lower = r.webPanes->pane(1);
    for (const QString& document : completions) {
        if (document == u"-")
            lower->setDocument(std::nullopt);
        else
            lower->setDocument(document);
        lower->completeFrame();
    }
    QCOMPARE(r.widget("Picture2")->isVisible(), covered);
    QCOMPARE(r.surface("Picture2").image(), placeholderWithLines(QSize(480, 80), lines));
    QVERIFY(r.widget("Picture1")->isVisible());
}

// The real panes: the upper one gets the maker's banner, the lower one a page of two
// frames without the marker: three completions, each with its two lines.
void TestForm1::panesAgainstALocalServer() {
    tarvo::testing::LocalHttpServer server;
    QVERIFY(server.listen());
    server.page("/kiv_top.php?version=1.5", "<html><head><title>kiv</title></head></html>");
    server.page("/kiv.php?version=1.5",
                "<frameset><frame src=\"/a\"><frame src=\"/b\"></frameset>");
    server.page("/a", "<title>kiv</title>a");
    server.page("/b", "b");
    platform::webpane::WebPaneLimits limits;
    limits.timeout = std::chrono::milliseconds(2000);
    limits.helper = QStringLiteral(TARVO_WEB_HELPER);
    Rig& r = *m_rig;
    r.services.webPanes = platform::webpane::createHelperWebPaneFactory(limits);
    form1 window(r.services, Hosts{QStringLiteral("probe.test"),
                                   QStringLiteral("127.0.0.1:%1").arg(server.port())});
    QVERIFY(window.Form_Load());
    window.show();
    const auto widget = [&](const char* name) {
        return window.findChild<SurfaceWidget*>(QLatin1String(name));
    };

    const QImage expected = placeholderWithLines(
        QSize(480, 80), {Initialising, Loading, Welcome, Loading, Welcome, Loading, Welcome});
    QTRY_COMPARE(widget("Picture2")->surface().image(), expected);
    QTRY_VERIFY(!widget("Picture1")->isVisible());
    QVERIFY(widget("Picture2")->isVisible());
    QVERIFY(server.requests().contains("/kiv_top.php?version=1.5"));
    QVERIFY(server.requests().contains("/kiv.php?version=1.5"));
    window.Form_Unload();
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
