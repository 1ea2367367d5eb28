#include "main/form1.h"

#include "controls/button/tqbutton.h"
#include "controls/progressbar/ucprogressbar.h"
#include "controls/titlebar/mictitlebar.h"
#include "forms/font.h"
#include "forms/imagecontrol.h"
#include "forms/propertybag.h"
#include "forms/surfacewidget.h"
#include "forms/yield.h"
#include "main/connectiontext.h"
#include "main/formtitlebarhost.h"
#include "main/sampling.h"
#include "main/speed.h"
#include "platform/services.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"
#include "runtime/units.h"
#include "services/drawpic.h"
#include "services/online.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>

#include <cstdlib>

namespace tarvo {

using namespace runtime;
using namespace forms;
using namespace platform;

namespace {

const QColor WindowBackColour(22, 134, 199);

// Places a control at a position given in twips.
void place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                         twipsToPixels(height));
}

// A label at a position in twips; without a size in the layout (width 0) it takes the
// size of its text.
QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top,
              int width = 0, int height = 0, const QColor& colour = Qt::black) {
    auto* control = new QLabel(text, parent);
    control->setObjectName(QString::fromLatin1(name));
    QPalette p = control->palette();
    p.setColor(QPalette::WindowText, colour);
    control->setPalette(p);
    if (width > 0) {
        place(control, left, top, width, height);
    } else {
        control->adjustSize();
        control->move(twipsToPixels(left), twipsToPixels(top));
    }
    return control;
}

void setOpaqueBack(QLabel* control, const QColor& colour) {
    QPalette p = control->palette();
    p.setColor(QPalette::Window, colour);
    control->setPalette(p);
    control->setAutoFillBackground(true);
}

ImageControl* image(QWidget* parent, const QString& name, const FormResource& resource, int left,
                    int top, int width, int height) {
    auto* control = new ImageControl(parent);
    control->setObjectName(name);
    control->setPicture(resource.bag(name).readPicture(QStringLiteral("Picture"), nullptr));
    place(control, left, top, width, height);
    return control;
}

SurfaceWidget* pictureBox(QWidget* parent, const char* name, OleColor backColour, int left, int top,
                          int width, int height) {
    auto* control = new SurfaceWidget(parent);
    control->setObjectName(QString::fromLatin1(name));
    place(control, left, top, width, height);
    control->surface().setBackColor(backColour);
    control->surface().setFont(ambientFont());
    control->surface().cls();
    return control;
}

IWebPane* webPane(IWebPaneFactory& factory, QWidget* parent, const char* name, int left, int top,
                  int width, int height) {
    IWebPane* pane = factory.create(parent);
    pane->setObjectName(QString::fromLatin1(name));
    pane->widget()->setObjectName(QString::fromLatin1(name));
    place(pane->widget(), left, top, width, height);
    return pane;
}

// The marker of a page of the maker's, as the pane serialises it; case matters.
const QString PageMarker = QStringLiteral("<TITLE>kiv</TITLE>");

} // namespace

form1::form1(PlatformServices& services, Hosts hosts, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_hosts(std::move(hosts))
    , m_apiStuff(*services.tray) {
    setObjectName(QStringLiteral("form1"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(twipsToPixels(10920), twipsToPixels(7080));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, WindowBackColour);
    setPalette(p);
    createControls();
    connectTimers();
}

form1::~form1() = default;

void form1::createControls() {
    const FormResource resource = FormResource::load(QStringLiteral(":/forms/form1.json"));
    const PropertyBag own = resource.bag(QStringLiteral("form1"));
    setWindowTitle(own.read(QStringLiteral("Caption"), QString()).toString());
    if (const Picture icon = own.readPicture(QStringLiteral("Icon"), nullptr); !isEmpty(icon))
        setWindowIcon(icon->icon());
    setFont(toQFont(*ambientFont()));

    // The icon holders lie under the title bar and the banner: created first, so they
    // stay beneath them.
    const int holderPos[7][2] = {{0, 0},     {0, 315},   {45, 540}, {45, 855},
                                 {90, 1125}, {585, 495}, {585, 855}};
    for (int k = 0; k < 7; ++k) {
        const QString name =
            k == 0 ? QStringLiteral("Image1(1)") : QStringLiteral("Image%1").arg(k + 1);
        m_ratingHolders[std::size_t(k)] =
            image(this, name, resource, holderPos[k][0], holderPos[k][1], 240, 240);
    }
    m_Image11 = image(this, QStringLiteral("Image11"), resource, 585, 1215, 240, 240);

    m_WebBrowser1 = webPane(*m_services.webPanes, this, "WebBrowser1", 15, 345, 10860, 1350);
    connect(m_WebBrowser1, &IWebPane::DocumentComplete, this, &form1::WebBrowser1_DocumentComplete);
    m_Picture1 = pictureBox(this, "Picture1", rgb(22, 134, 199), 0, 330, 10875, 1335);
    m_Picture1->surface().setPicture(
        resource.bag(QStringLiteral("Picture1")).readPicture(QStringLiteral("Picture"), nullptr));

    // The title bar dresses the window's own surface (texture, frame), which lies under
    // every child and leaves the pointer to the window. The window has a minimise button
    // and, being of fixed size, no maximise button.
    m_formSurface = pictureBox(this, "formSurface", rgb(22, 134, 199), 0, 0, 10920, 7080);
    m_formSurface->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_formSurface->lower();
    // Drawn when the title bar dresses the window, read when a control above it repaints.
    m_formSurface->surface().setKeptCompact(true);
    m_titleBarHost = std::make_unique<FormTitleBarHost>(
        *this, m_formSurface->surface(), [this] { m_apiStuff.HideWindow(this); }, true, false);
    m_MicTitleBar1 = new MicTitleBar(*m_titleBarHost, this);
    m_MicTitleBar1->setObjectName(QStringLiteral("MicTitleBar1"));
    place(m_MicTitleBar1, 0, 0, 10920, 360);

    m_label5 = label(this, "label5", QStringLiteral("流量监视"), 390, 1980);
    m_Picture3 = pictureBox(this, "Picture3", syscolour::Window, 330, 2280, 7095, 2895);

    m_Label1 = label(this, "Label1", QStringLiteral("宽带利用率"), 7860, 2070);
    m_Label2 = label(this, "Label2(1)", QStringLiteral("下载速度"), 7860, 2850, 0, 0,
                     QColor(128, 255, 128));
    m_Label3 = label(this, "Label3(1)", QStringLiteral("上传速度"), 7845, 3600, 0, 0,
                     QColor(255, 192, 192));
    // The light green and pink headings were chosen for the window's dark blue and do
    // not read on the light texture: they keep an opaque back of that blue.
    for (QLabel* heading : {m_Label2, m_Label3})
        setOpaqueBack(heading, WindowBackColour);
    const int barPos[BarCount][2] = {{7860, 2370}, {7860, 3150}, {7830, 3900}};
    for (int i = 0; i < BarCount; ++i) {
        const QString name = QStringLiteral("ucProgressBar(%1)").arg(i);
        auto* bar = new ucProgressBar(this);
        bar->setObjectName(name);
        bar->move(twipsToPixels(barPos[i][0]), twipsToPixels(barPos[i][1]));
        bar->ReadProperties(resource.bag(name), ambientFont());
        bar->Resize(); // sited: the bar takes the size of its background picture
        m_ucProgressBar[std::size_t(i)] = bar;
    }

    m_Image1_0 = image(this, QStringLiteral("Image1(0)"), resource, 7950, 4470, 2625, 1440);
    m_Image10 = image(this, QStringLiteral("Image10"), resource, 9990, 4620, 315, 240);
    m_Label4 = label(this, "Label4", QStringLiteral("网络连接状态："), 8100, 4650, 2055, 195);
    m_lblRecv = label(this, "lblRecv", QStringLiteral("下载数据量："), 8100, 4980, 2175, 255);
    m_lblSent = label(this, "lblSent", QStringLiteral("上传数据量："), 8100, 5310, 2175, 225);
    m_Label6 = label(this, "Label6", QStringLiteral("网络窗口"), 360, 5340);

    m_WebBrowser2 = webPane(*m_services.webPanes, this, "WebBrowser2", 360, 5670, 7200, 1200);
    connect(m_WebBrowser2, &IWebPane::DocumentComplete, this, &form1::WebBrowser2_DocumentComplete);
    m_Picture2 = pictureBox(this, "Picture2", rgb(114, 170, 240), 360, 5670, 7200, 1200);
    m_Picture2->surface().setKeptCompact(true); // a few lines of text, now and then

    m_tqbutton1 = new tqbutton(this);
    m_tqbutton1->setObjectName(QStringLiteral("tqbutton1"));
    place(m_tqbutton1, 8070, 6030, 2205, 795);
    m_tqbutton1->ReadProperties(resource.bag(QStringLiteral("tqbutton1")), ambientFont());
    connect(m_tqbutton1, &tqbutton::Click, this, [this] { m_apiStuff.HideWindow(this); });

    // Collects the ping output for the probe to read; never shown, so it takes no focus
    // and never repaints.
    m_Text1 = new QPlainTextEdit(QStringLiteral("Text1"), this);
    m_Text1->setObjectName(QStringLiteral("Text1"));
    m_Text1->setFocusPolicy(Qt::NoFocus);
    place(m_Text1, 6960, 6660, 315, 375);
    m_Text1->hide();
}

void form1::connectTimers() {
    const std::pair<Timer*, int> timers[] = {
        {&m_Timer1, 20000}, {&m_Timer2, 1000}, {&m_Timer3, 2}, {&m_Timer4, 8}};
    for (auto [timer, interval] : timers)
        timer->setInterval(interval);
    // The animation and the graph draw only on the gauges' and the graph's surfaces: they
    // may run on the frame thread, so their handlers are called directly.
    m_Timer3.setFrameTimer(true);
    m_Timer4.setFrameTimer(true);
    connect(&m_Timer1, &Timer::tick, this, &form1::Timer1_Timer);
    connect(&m_Timer2, &Timer::tick, this, &form1::Timer2_Timer);
    connect(&m_Timer3, &Timer::tick, this, &form1::Timer3_Timer, Qt::DirectConnection);
    connect(&m_Timer4, &Timer::tick, this, &form1::Timer4_Timer, Qt::DirectConnection);
}

ucProgressBar& form1::bar(int index) const {
    return *element(m_ucProgressBar, index);
}

Timer& form1::timer(int number) {
    std::array<Timer*, 4> timers{&m_Timer1, &m_Timer2, &m_Timer3, &m_Timer4};
    return *element(timers, number - 1);
}

ImageControl* form1::ratingHolder(int bracket) const {
    return element(m_ratingHolders, bracket);
}

bool form1::Form_Load() {
    if (!m_services.instance->claim()) {
        QMessageBox notice(QMessageBox::NoIcon, QStringLiteral("Tarvo提示"),
                           QStringLiteral("Tarvo已经打开"), QMessageBox::Ok);
        notice.exec();
        return false;
    }

    step([&] { m_apiStuff.InstallTrayIcon(this); });
    step([&] { m_apiStuff.SetTrayTip(QStringLiteral("欢迎使用Tarvo")); });
    step([&] {
        m_Picture2->surface().print(QStringLiteral("正在初始化...."));
        m_Picture2->surface().refresh();
    });
    step([&] { m_WebBrowser1->setSilent(true); });
    step([&] {
        m_WebBrowser1->Navigate(QStringLiteral("http://") + m_hosts.webServer +
                                QStringLiteral("/kiv_top.php?version=1.5"));
    });
    step([&] { m_WebBrowser2->setSilent(true); });
    step([&] {
        m_WebBrowser2->Navigate(QStringLiteral("http://") + m_hosts.webServer +
                                QStringLiteral("/kiv.php?version=1.5"));
    });
    step([&] {
        if (!m_services.interfaceTable)
            runtime::raise(ErrorCode::InvalidProcedureCall, QStringLiteral("no interface table"));
        m_state.ipHelper = std::make_unique<CIpHelper>(*m_services.interfaceTable);
    });

    m_state.latencyLimits = {100, 300, 500, 800, 900, 950, 1000};
    const QString large = QStringLiteral("网络延迟较大！");
    m_state.latencyMessages = {QStringLiteral("网络延迟小！"),
                               QStringLiteral("网络延迟较小！"),
                               large,
                               large,
                               large,
                               large,
                               QStringLiteral("网络延迟大！")};

    for (Timer* timer : {&m_Timer1, &m_Timer2, &m_Timer3, &m_Timer4})
        timer->setEnabled(true);
    m_loaded = true;
    return true;
}

void form1::Form_Unload() {
    if (!m_loaded)
        return;
    m_loaded = false;
    for (Timer* timer : {&m_Timer1, &m_Timer2, &m_Timer3, &m_Timer4})
        timer->setEnabled(false);
    step([&] { m_apiStuff.RemoveTrayIcon(); });
    emit unloaded();
}

void form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// A hidden window needs no fast timers: their handlers do nothing then. A minimised
// window is still visible (its handlers go on, and it must be current when restored):
// its hide event leaves the timers alone.
void form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_loaded) {
        m_Timer3.setEnabled(true);
        m_Timer4.setEnabled(true);
    }
}

void form1::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (isVisible())
        return;
    m_Timer3.setEnabled(false);
    m_Timer4.setEnabled(false);
}

// ---- web panes ----

// Every document of the upper pane, frames included: its top-level page uncovers the
// pane once it is the maker's. Nothing covers the pane again.
void form1::WebBrowser1_DocumentComplete(const QString& /*URL*/) {
    QString html;
    step([&] { html = m_WebBrowser1->documentElementInnerHtml(); });
    if (html.contains(PageMarker, Qt::CaseSensitive))
        step([&] { m_Picture1->setVisible(false); });
}

void form1::WebBrowser2_DocumentComplete(const QString& /*URL*/) {
    const auto printLine = [&](const QString& line) {
        step([&] {
            m_Picture2->surface().print(line);
            m_Picture2->surface().refresh();
        });
    };
    printLine(QStringLiteral("正在载入网络信息..."));
    QString html;
    step([&] { html = m_WebBrowser2->documentElementInnerHtml(); });
    if (html.contains(PageMarker, Qt::CaseSensitive)) {
        step([&] { m_Picture2->setVisible(false); });
        return;
    }
    printLine(QStringLiteral("欢迎使用Tarvo1.5"));
}

// ---- connection status ----

void form1::showConnection() {
    WindowState& s = m_state;
    step([&] { s.isOnline = GetConnectionState(*m_services.connection, s.connFlags, s.connName); });
    step([&] {
        const QString text = s.isOnline ? QStringLiteral("网络状态： ") + s.connName
                                        : QStringLiteral("网络状态： 已断开");
        const QColor colour = s.isOnline ? QColor(0, 0, 0) : QColor(255, 0, 0);
        if (m_Label4->text() != text)
            m_Label4->setText(text);
        // This runs every second, shown or hidden: a palette set again unchanged would
        // still be resolved and sent to the label each time.
        QPalette p = m_Label4->palette();
        const auto differs = [&](QPalette::ColorGroup group) {
            return !p.isBrushSet(group, QPalette::WindowText) ||
                   p.color(group, QPalette::WindowText) != colour;
        };
        if (differs(QPalette::Active) || differs(QPalette::Inactive) ||
            differs(QPalette::Disabled)) {
            p.setColor(QPalette::WindowText, colour);
            m_Label4->setPalette(p);
        }
    });

    // Kept only for diagnostics; rebuilt on each query so it stays bounded.
    s.connText = describeConnectionFlags(s.connFlags);
}

// ---- latency probe and rating ----

void form1::Timer1_Timer() {
    WindowState& s = m_state;
    if (!s.isOnline) {
        step([&] { showLatencyRating(false, 0); });
        return;
    }
    if (s.barBusy[0])
        return;

    const bool probed = step([&] {
        s.barTarget[0] =
            PingLatency(m_hosts.probeHost, m_Text1, *m_services.resolver, *m_services.processes);
    });
    // A failed probe keeps the last score: mirroring it (1000 minus a score) would show
    // a made-up verdict, the best one when no probe has answered yet.
    if (probed)
        step([&] { s.barTarget[0] = subInt16(1000, s.barTarget[0]); });
    if (s.barTarget[0] < 0)
        s.barTarget[0] = 0;
    step([&] { s.barSteps[0] = subInt16(s.barTarget[0], s.barShown[0]); });
    bool start = false;
    step([&] { start = sampling::latencyStartFits(s.barSteps[0], bar(0).Max()); });
    if (start) {
        step([&] { bar(0).setValue(s.barShown[0]); });
        s.barShown[0] = s.barTarget[0];
        s.barBusy[0] = true;
    }
    step([&] { showLatencyRating(true, s.barShown[0]); });
}

void form1::showLatencyRating(bool connected, qint16 score) {
    QString tip;
    ImageControl* holder = m_Image11;
    if (connected) {
        const auto& limits = m_state.latencyLimits;
        int bracket = 6;
        for (int k = 0; k < 6; ++k) {
            if (limits[std::size_t(5 - k)] <= score && score <= limits[std::size_t(6 - k)]) {
                bracket = k;
                break;
            }
        }
        tip = m_state.latencyMessages[std::size_t(bracket)];
        holder = ratingHolder(bracket);
    } else {
        tip = QStringLiteral("请检查网络");
    }
    step([&] { m_apiStuff.SetTrayTip(tip + QChar(u'\0')); });
    step([&] { m_apiStuff.SetTrayIcon(holder->picture()); });
    step([&] { m_Image10->setPicture(holder->picture()); });
    // A screen reader reads the verdict where the eye sees its icon.
    m_Image10->setAccessibleName(tip);
}

// ---- sampling tick, totals, animation, graph feed ----

void form1::Timer2_Timer() {
    WindowState& s = m_state;
    step([&] { showConnection(); });
    if (!s.isOnline) {
        s.sampled = false;
        step([&] { showLatencyRating(false, 0); });
        return;
    }
    if (!isVisible()) {
        s.sampled = false;
        return;
    }
    if (!s.probeStarted) {
        // Through the timer, so that its own ticks cannot nest a second probe in this one.
        m_Timer1.fire();
        s.probeStarted = true;
    }
    step([&] { showTotals(); });
    doEvents();
    s.prevSentKB = s.sentKB;
    s.prevRecvKB = s.recvKB;
    doEvents();
    s.recvKB = sampling::kilobytes(s.lastRecvBytes);
    s.sentKB = sampling::kilobytes(s.lastSentBytes);
    doEvents();
    doEvents();

    const auto takeRate = [&](int index, qint64 now, qint64 previous) {
        step([&] {
            element(s.barTarget, index) = sampling::rateTarget(now - previous, bar(index).Max());
        });
    };
    if (s.sampled) {
        takeRate(1, s.recvKB, s.prevRecvKB);
        takeRate(2, s.sentKB, s.prevSentKB);
    }
    s.sampled = true;

    for (int i = 1; i <= 2; ++i) {
        if (!s.barBusy[std::size_t(i)] && startBarAnimation(i))
            return;
        doEvents();
    }
}

bool form1::startBarAnimation(int index) {
    WindowState& s = m_state;
    const auto i = std::size_t(index);
    step([&] { s.barSteps[i] = subInt16(s.barTarget[i], s.barShown[i]); });
    bool ends = false;
    step([&] { ends = !sampling::rateStartFits(s.barSteps[i], bar(index).Max()); });
    if (ends)
        return true;
    step([&] { bar(index).setValue(s.barShown[i]); });
    s.barShown[i] = s.barTarget[i];
    s.barBusy[i] = true;
    return false;
}

void form1::showTotals() {
    WindowState& s = m_state;
    if (!s.currentInterface)
        s.currentInterface = std::make_shared<CInterface>();

    // Without a reader (its creation failed) every step that needs it fails alone.
    const auto reader = [&]() -> CIpHelper& {
        if (!s.ipHelper)
            runtime::raise(ErrorCode::InvalidProcedureCall, QStringLiteral("no statistics reader"));
        return *s.ipHelper;
    };
    std::shared_ptr<CInterface> taken;
    step([&] { taken = reader().Interfaces()->Item(1); });
    const auto kilobytes = [](double bytes) {
        return formatPattern(bytes / 1024.0, u"###,###,###,###,##0").trimmed() +
               QStringLiteral(" KB");
    };
    step([&] {
        m_lblRecv->setText(QStringLiteral("接收数据量：") + kilobytes(reader().BytesReceived()));
    });
    step([&] {
        m_lblSent->setText(QStringLiteral("发送数据量：") + kilobytes(reader().BytesSent()));
    });
    s.currentInterface = taken;
    step([&] { s.lastRecvBytes = toInt64(reader().BytesReceived()); });
    step([&] { s.lastSentBytes = toInt64(reader().BytesSent()); });
    doEvents();
}

void form1::Timer3_Timer() {
    WindowState& s = m_state;
    if (!s.isOnline || !isVisible())
        return;
    for (int index = 0; index < BarCount; ++index) {
        const auto i = std::size_t(index);
        if (!s.barBusy[i])
            continue;
        ucProgressBar& b = bar(index);
        const sampling::BarMotion now{s.barSteps[i], b.Value(), true};
        const sampling::BarMotion next = sampling::animationStep(now, b.Min(), b.Max());
        s.barSteps[i] = next.steps;
        s.barBusy[i] = next.busy;
        if (next.value != now.value)
            step([&] { b.setValue(next.value); });
        doEvents();
    }
}

void form1::Timer4_Timer() {
    if (!isVisible())
        return;
    std::array<float, 3> ratios{};
    for (int index = 0; index < BarCount; ++index) {
        step([&] {
            const int max = bar(index).Max();
            if (max == 0)
                runtime::raise(ErrorCode::DivisionByZero);
            ratios[std::size_t(index)] = float(double(m_state.barTarget[std::size_t(index)]) / max);
        });
    }
    step([&] { DrawTrafficGraph(m_Picture3->surface(), 1, ratios, m_state.barTarget); });
}

} // namespace tarvo
