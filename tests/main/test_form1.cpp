#include "main/form1.h"

#include "controls/progressbar/ucprogressbar.h"
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
#include "platform/web/qtwebpane.h"
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

    Rig() {
        services.instance = own(instance);
        services.interfaceTable = own(table);
        services.tray = own(tray);
        services.connection = own(connection);
        services.resolver = own(resolver);
        services.processes = own(launcher);
        services.webPanes = own(webPanes);
        resolver->add("probe.test", {127, 0, 0, 1});
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
        table->setRows({row});
    }
    void setTotalsKB(int recvKB, int sentKB) {
        setTotals(qint64(recvKB) * 1024, qint64(sentKB) * 1024);
    }

    void pingReplies(const QByteArray& output) { launcher->setOutput({output}); }

    // Animation steps until every bar is idle; the number of steps taken.
    int animateToRest(int limit = 5000) {
        int ticks = 0;
        const auto& busy = form->state().barBusy;
        while ((busy[0] || busy[1] || busy[2]) && ticks < limit) {
            form->Timer3_Timer();
            ++ticks;
        }
        return ticks;
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

    void firstTickTakesWholeTotals_data();
    void firstTickTakesWholeTotals();
    void rateMustFitAboveTheValue_data();
    void rateMustFitAboveTheValue();
    void largeStepEndsTheTick_data();
    void largeStepEndsTheTick();
    void counterResetWalksDownToMin();
    void firstProbeRunsOnce();
    void firstProbeWaitsForConnectionAndWindow();
    void hiddenWindowOnlyQueriesTheConnection();
    void totalsLabels_data();
    void totalsLabels();

    void animationTakesStepsPlusOne_data();
    void animationTakesStepsPlusOne();
    void animationWaitsForConnection();

    void connectionLine_data();
    void connectionLine();
    void disconnectedTickShowsCheckNetwork();
    void connectionTextStaysBounded();

    void ratingBrackets_data();
    void ratingBrackets();
    void probeScores_data();
    void probeScores();
    void failedProbeKeepsTheTarget_data();
    void failedProbeKeepsTheTarget();
    void busyLatencyBarSkipsTheProbe();
    void hiddenWindowProbesOnce();

    void graphFollowsTheTargets();

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

    const WindowState& s = f.state();
    QVERIFY(s.ipHelper);
    QCOMPARE(s.latencyLimits, (std::array<qint16, 7>{100, 300, 500, 800, 900, 950, 1000}));
    QCOMPARE(s.latencyMessages[0], QStringLiteral("网络延迟小！"));
    QCOMPARE(s.latencyMessages[1], QStringLiteral("网络延迟较小！"));
    for (int k = 2; k <= 5; ++k)
        QCOMPARE(s.latencyMessages[std::size_t(k)], QStringLiteral("网络延迟较大！"));
    QCOMPARE(s.latencyMessages[6], QStringLiteral("网络延迟大！"));
    QVERIFY(!s.isOnline);
    QCOMPARE(s.barTarget, (std::array<qint16, 4>{}));

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
    QVERIFY(!r.form->state().ipHelper);
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!r.form->timer(n).isEnabled());
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

// ---- sampling tick ----

void TestForm1::firstTickTakesWholeTotals_data() {
    QTest::addColumn<int>("recvKB");
    QTest::addColumn<int>("sentKB");
    QTest::addColumn<int>("recvTarget");
    QTest::addColumn<int>("sentTarget");

    QTest::newRow("both fit") << 150 << 10 << 150 << 10;
    QTest::newRow("199 KB still fits") << 199 << 0 << 199 << 0;
    QTest::newRow("200 KB is rejected") << 200 << 199 << 0 << 199;
    QTest::newRow("large totals are rejected") << 300000 << 5000 << 0 << 0;
}

void TestForm1::firstTickTakesWholeTotals() {
    QFETCH(int, recvKB);
    QFETCH(int, sentKB);
    QFETCH(int, recvTarget);
    QFETCH(int, sentTarget);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.setTotalsKB(recvKB, sentKB);

    r.form->timer(2).fire();
    const WindowState& s = r.form->state();
    QCOMPARE(s.recvKB, recvKB);
    QCOMPARE(s.sentKB, sentKB);
    QCOMPARE(s.prevRecvKB, 0);
    QCOMPARE(int(s.barTarget[1]), recvTarget);
    QCOMPARE(int(s.barTarget[2]), sentTarget);
    // Both bars start towards their targets from 0.
    QCOMPARE(int(s.barShown[1]), recvTarget);
    QCOMPARE(int(s.barShown[2]), sentTarget);
    QVERIFY(s.barBusy[1] && s.barBusy[2]);
    QCOMPARE(int(s.barSteps[1]), recvTarget);
}

void TestForm1::rateMustFitAboveTheValue_data() {
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("target");

    const int kept = 7;
    for (int bar : {1, 2}) {
        const QByteArray which = bar == 1 ? "receive, " : "send, ";
        QTest::newRow(which + "199 above 0") << bar << 0 << 199 << 199;
        QTest::newRow(which + "200 above 0") << bar << 0 << 200 << kept;
        QTest::newRow(which + "149 above 50") << bar << 50 << 149 << 149;
        QTest::newRow(which + "150 above 50") << bar << 50 << 150 << kept;
        QTest::newRow(which + "0 at the top") << bar << 200 << 0 << kept;
        QTest::newRow(which + "-1 at the top") << bar << 200 << -1 << -1;
    }
}

void TestForm1::rateMustFitAboveTheValue() {
    QFETCH(int, bar);
    QFETCH(int, value);
    QFETCH(int, rate);
    QFETCH(int, target);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    const int base = 1000; // KB before the tick
    r.setTotalsKB(base, base);
    r.form->Timer2_Timer();

    WindowState& s = r.form->state();
    s.barTarget[std::size_t(bar)] = 7;
    s.barBusy[std::size_t(bar)] = true; // keeps the start rule out of the way
    r.form->bar(bar).setValue(value);
    r.setTotalsKB(bar == 1 ? base + rate : base, bar == 2 ? base + rate : base);
    r.form->Timer2_Timer();

    QCOMPARE(int(s.barTarget[std::size_t(bar)]), target);
}

void TestForm1::largeStepEndsTheTick_data() {
    QTest::addColumn<int>("firstKB");
    QTest::addColumn<int>("secondKB");
    QTest::addColumn<bool>("ends");

    // A received counter that starts again: the negative rate fits the guard, but the
    // bar would have to walk from the old rate down to it.
    QTest::newRow("300 steps") << 150 << 0 << true;
    QTest::newRow("200 steps") << 100 << 0 << true;
    QTest::newRow("199 steps") << 100 << 1 << false;
}

void TestForm1::largeStepEndsTheTick() {
    QFETCH(int, firstKB);
    QFETCH(int, secondKB);
    QFETCH(bool, ends);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.setTotalsKB(firstKB, 10);
    r.form->Timer2_Timer();
    r.animateToRest();
    QCOMPARE(r.form->bar(1).Value(), firstKB);
    QCOMPARE(r.form->bar(2).Value(), 10);

    r.setTotalsKB(secondKB, 30);
    r.form->Timer2_Timer();
    const WindowState& s = r.form->state();
    const int rate = secondKB - firstKB;
    QCOMPARE(int(s.barTarget[1]), rate);
    QCOMPARE(int(s.barTarget[2]), 20);
    QCOMPARE(s.barBusy[1], !ends);
    QCOMPARE(int(s.barShown[1]), ends ? firstKB : rate);
    // Bar 2 is not considered when bar 1 ends the tick.
    QCOMPARE(s.barBusy[2], !ends);
    QCOMPARE(int(s.barShown[2]), ends ? 10 : 20);
    QCOMPARE(r.form->bar(2).Value(), 10);

    if (ends) {
        // The next tick's rate is 0: both bars start.
        r.form->Timer2_Timer();
        QVERIFY(s.barBusy[1]);
        QVERIFY(s.barBusy[2]);
        QCOMPARE(int(s.barShown[2]), 0);
    }
}

void TestForm1::counterResetWalksDownToMin() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.setTotalsKB(60, 0);
    r.form->Timer2_Timer();
    r.animateToRest();
    ucProgressBar& bar = r.form->bar(1);
    QCOMPARE(bar.Value(), 60);

    r.setTotalsKB(0, 0);
    r.form->Timer2_Timer();
    const WindowState& s = r.form->state();
    QCOMPARE(int(s.barTarget[1]), -60);
    QCOMPARE(int(s.barSteps[1]), -120);
    QVERIFY(s.barBusy[1]);

    int lowest = bar.Value();
    for (int tick = 1; tick <= 120; ++tick) {
        r.form->Timer3_Timer();
        lowest = std::min(lowest, bar.Value());
        QCOMPARE(bar.Value(), std::max(60 - tick, bar.Min()));
        QVERIFY(s.barBusy[1]);
    }
    QCOMPARE(lowest, bar.Min());
    r.form->Timer3_Timer();
    QVERIFY(!s.barBusy[1]);
    QCOMPARE(bar.Value(), bar.Min());
}

void TestForm1::firstProbeRunsOnce() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.pingReplies("Minimum = 20ms, Maximum = 26ms, Average = 23ms\r\n");

    r.form->timer(2).fire();
    const WindowState& s = r.form->state();
    QCOMPARE(r.launcher->commandLines(), QStringList{pingCommandLine(QStringLiteral("127.0.0.1"))});
    QVERIFY(s.probeStarted);
    QCOMPARE(int(s.barShown[0]), 977);

    r.animateToRest();
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
    QVERIFY(!r.form->state().probeStarted);

    r.form->show();
    r.form->Timer2_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    QVERIFY(r.form->state().probeStarted);
}

void TestForm1::hiddenWindowOnlyQueriesTheConnection() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.setTotalsKB(10, 5);
    r.form->Timer2_Timer();
    r.animateToRest();
    const QString recvLabel = r.text("lblRecv");
    const QString sentLabel = r.text("lblSent");
    QCOMPARE(recvLabel, QStringLiteral("接收数据量：10 KB"));
    WindowState& s = r.form->state();

    r.form->hide();
    r.online("wlan0");
    r.setTotalsKB(40, 20);
    const int queries = r.connection->calls();
    const int fetches = r.table->fetches();
    r.form->Timer2_Timer();
    QCOMPARE(r.connection->calls(), queries + 1);
    QCOMPARE(r.text("Label4"), QStringLiteral("网络状态： wlan0"));
    QCOMPARE(r.table->fetches(), fetches);
    QCOMPARE(r.text("lblRecv"), recvLabel);
    QCOMPARE(r.text("lblSent"), sentLabel);
    QCOMPARE(s.recvKB, 10);
    QCOMPARE(int(s.barTarget[1]), 10);

    // Bars and graph freeze.
    s.barBusy[1] = true;
    s.barSteps[1] = 5;
    const QImage graph = r.surface("Picture3").image().copy();
    for (int tick = 0; tick < 22; ++tick) {
        r.form->Timer3_Timer();
        r.form->Timer4_Timer();
    }
    QCOMPARE(int(s.barSteps[1]), 5);
    QCOMPARE(r.form->bar(1).Value(), 10);
    QVERIFY(r.surface("Picture3").image() == graph);

    // Shown again, the whole hidden period is one rate: 30 KB.
    r.form->show();
    r.form->Timer2_Timer();
    QCOMPARE(r.text("lblRecv"), QStringLiteral("接收数据量：40 KB"));
    QCOMPARE(s.recvKB - s.prevRecvKB, 30);
}

void TestForm1::totalsLabels_data() {
    QTest::addColumn<qint64>("recvBytes");
    QTest::addColumn<qint64>("sentBytes");
    QTest::addColumn<QString>("recvText");
    QTest::addColumn<QString>("sentText");
    QTest::addColumn<int>("recvKB");
    QTest::addColumn<int>("sentKB");

    QTest::newRow("grouped") << qint64(1263616) << qint64(2048)
                             << QStringLiteral("接收数据量：1,234 KB")
                             << QStringLiteral("发送数据量：2 KB") << 1234 << 2;
    // The label rounds halves away from zero, the KB count halves to even.
    QTest::newRow("halves") << qint64(2560) << qint64(3584) << QStringLiteral("接收数据量：3 KB")
                            << QStringLiteral("发送数据量：4 KB") << 2 << 4;
    QTest::newRow("nothing yet") << qint64(0) << qint64(0) << QStringLiteral("接收数据量：0 KB")
                                 << QStringLiteral("发送数据量：0 KB") << 0 << 0;
    QTest::newRow("a gigabyte") << (qint64(1) << 30) << (qint64(1) << 30)
                                << QStringLiteral("接收数据量：1,048,576 KB")
                                << QStringLiteral("发送数据量：1,048,576 KB") << 1048576 << 1048576;
}

void TestForm1::totalsLabels() {
    QFETCH(qint64, recvBytes);
    QFETCH(qint64, sentBytes);
    QFETCH(QString, recvText);
    QFETCH(QString, sentText);
    QFETCH(int, recvKB);
    QFETCH(int, sentKB);
    Rig& r = *m_rig;
    r.loadAndShow();
    r.online();
    r.setTotals(recvBytes, sentBytes);

    r.form->Timer2_Timer();
    QCOMPARE(r.text("lblRecv"), recvText);
    QCOMPARE(r.text("lblSent"), sentText);
    QCOMPARE(r.form->state().lastRecvBytes, qint32(recvBytes));
    QCOMPARE(r.form->state().recvKB, recvKB);
    QCOMPARE(r.form->state().sentKB, sentKB);
}

// ---- animation ----

void TestForm1::animationTakesStepsPlusOne_data() {
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("to");

    QTest::newRow("up") << 1 << 0 << 5 << 5;
    QTest::newRow("down") << 2 << 10 << -4 << 6;
    QTest::newRow("no change") << 0 << 300 << 0 << 300;
    QTest::newRow("held at Max") << 1 << 198 << 5 << 200;
    QTest::newRow("held at Min") << 2 << 2 << -5 << 0;
    QTest::newRow("latency held at 1002") << 0 << 1000 << 6 << 1002;
}

void TestForm1::animationTakesStepsPlusOne() {
    QFETCH(int, bar);
    QFETCH(int, from);
    QFETCH(int, steps);
    QFETCH(int, to);
    Rig& r = *m_rig;
    r.loadAndShow();
    WindowState& s = r.form->state();
    s.isOnline = true;
    const auto i = std::size_t(bar);
    r.form->bar(bar).setValue(from);
    s.barSteps[i] = qint16(steps);
    s.barBusy[i] = true;

    for (int tick = 0; tick < std::abs(steps); ++tick) {
        r.form->timer(3).fire();
        QVERIFY(s.barBusy[i]);
    }
    QCOMPARE(r.form->bar(bar).Value(), to);
    QCOMPARE(int(s.barSteps[i]), 0);
    r.form->timer(3).fire();
    QVERIFY(!s.barBusy[i]);
    QCOMPARE(r.form->bar(bar).Value(), to);
    for (int other = 0; other < 3; ++other)
        if (other != bar)
            QCOMPARE(r.form->bar(other).Value(), 0);
}

void TestForm1::animationWaitsForConnection() {
    Rig& r = *m_rig;
    r.loadAndShow();
    WindowState& s = r.form->state();
    s.barBusy[1] = true;
    s.barSteps[1] = 3;
    r.form->Timer3_Timer();
    QCOMPARE(int(s.barSteps[1]), 3);
    QCOMPARE(r.form->bar(1).Value(), 0);
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

    r.form->showConnection();
    QCOMPARE(r.form->state().isOnline, connected);
    QCOMPARE(r.form->state().connFlags, LanFlags);
    QCOMPARE(r.text("Label4"), line);
    QCOMPARE(r.label("Label4")->palette().color(QPalette::WindowText), colour);
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

void TestForm1::connectionTextStaysBounded() {
    Rig& r = *m_rig;
    r.loadAndShow();
    r.connection->set(true, LanFlags | connflag::RasInstalled, "eth0");
    r.form->showConnection();
    const QString once = r.form->state().connText;
    QVERIFY(once.contains(QLatin1String("Connection uses LAN.\r\n")));
    QVERIFY(once.contains(QLatin1String("System has RAS installed.\r\n")));
    for (int tick = 0; tick < 200; ++tick)
        r.form->Timer2_Timer();
    QCOMPARE(r.form->state().connText, once);
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
    QCOMPARE(r.tray->tip(), r.form->state().latencyMessages[std::size_t(bracket)]);
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
    const WindowState& s = r.form->state();
    QCOMPARE(r.launcher->commandLines().size(), 1);
    QCOMPARE(int(s.barTarget[0]), score);
    QCOMPARE(int(s.barShown[0]), score);
    QCOMPARE(int(s.barSteps[0]), score);
    QVERIFY(s.barBusy[0]);
    QCOMPARE(r.form->bar(0).Value(), 0);
    QCOMPARE(r.tray->tip(), s.latencyMessages[std::size_t(bracket)]);
    QCOMPARE(r.image(QStringLiteral("Image10"))->picture(), r.ratingHolder(bracket)->picture());

    // The bar walks to the score in |score| steps plus one.
    QCOMPARE(r.animateToRest(), score + 1);
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
    const WindowState& s = r.form->state();

    // A failure before any answer leaves the target at 0: the worst verdict.
    r.pingReplies(output);
    r.form->Timer1_Timer();
    QCOMPARE(int(s.barTarget[0]), 0);
    QCOMPARE(r.tray->tip(), QStringLiteral("网络延迟大！"));
    r.animateToRest();

    r.pingReplies("Average = 23ms");
    r.form->Timer1_Timer();
    QCOMPARE(int(s.barTarget[0]), 977);
    r.animateToRest();

    r.pingReplies(output);
    r.form->Timer1_Timer();
    QCOMPARE(r.launcher->commandLines().size(), 3);
    QCOMPARE(int(s.barTarget[0]), 977);
    QCOMPARE(int(s.barShown[0]), 977);
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
    r.form->state().barBusy[0] = true;
    const qsizetype requests = r.tray->requests().size();

    r.form->Timer1_Timer();
    QVERIFY(r.launcher->commandLines().isEmpty());
    QCOMPARE(r.tray->requests().size(), requests);
    QCOMPARE(int(r.form->state().barTarget[0]), 0);

    r.offline();
    r.form->showConnection();
    r.form->Timer1_Timer();
    QVERIFY(r.launcher->commandLines().isEmpty());
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
    WindowState& s = r.form->state();
    s.barTarget = {800, 100, 50, 0};

    Surface& graph = r.surface("Picture3");
    const QImage before = graph.image().copy();
    for (int call = 0; call < 11; ++call)
        r.form->timer(4).fire();
    QVERIFY(graph.image() != before);
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
    web::WebPaneLimits limits;
    limits.timeout = std::chrono::milliseconds(2000);
    Rig& r = *m_rig;
    r.services.webPanes = web::createQtWebPaneFactory(limits);
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
