// The web pane and its helper process against a local HTTP server on 127.0.0.1.
#include "platform/webpane/helperpane.h"
#include "platform/webpane/pagehelper.h"
#include "platform/webpane/paneview.h"
#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "sandbox/exitcodes.h"
#include "support/hostilepages.h"
#include "support/httpserver.h"
#include "support/pngbytes.h"
#include "support/urlcatcher.h"

#include <QAccessible>
#include <QBuffer>
#include <QDesktopServices>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tarvo;
using namespace tarvo::platform;
using namespace tarvo::platform::webpane;
using tarvo::testing::LocalHttpServer;

Q_DECLARE_METATYPE(LocalHttpServer::Response)
using Routes = QList<std::pair<QByteArray, LocalHttpServer::Response>>;
Q_DECLARE_METATYPE(Routes)

namespace {

const QString Marker = QStringLiteral("<TITLE>kiv</TITLE>");

QByteArray gbk(const QString& text) {
    return tarvo::runtime::toAnsi(text);
}

// A stand-in helper in dir: a shell script.
QString standIn(const QTemporaryDir& dir, const QByteArray& script) {
    QFile file(dir.filePath(QStringLiteral("helper")));
    if (!script.isEmpty() && file.open(QIODevice::WriteOnly)) {
        file.write("#!/bin/sh\n" + script + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    return file.fileName();
}

// A page of 100 x 40 grey pixels with two links, their text and the page's in bidi
// controls and marks.
webprotocol::Message twoLinks() {
    webprotocol::Message page;
    page.kind = webprotocol::Message::Kind::Page;
    page.picture = QImage(100, 40, QImage::Format_RGB32);
    page.picture.fill(Qt::gray);
    page.links = {{QRect(10, 10, 20, 10), QUrl("http://kiv.test/one"), QStringLiteral("\u200Fone")},
                  {QRect(50, 10, 20, 10), QUrl("http://kiv.test/two"), QStringLiteral("two")}};
    page.text = QStringLiteral("\u202Eexe.live\U000E0041\n\uFEFFone \u2066two\u2069");
    return page;
}

} // namespace

class TestWebPane final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noDocumentBeforeANavigation();
    void documents_data();
    void documents();
    void failuresLoadTheErrorPage_data();
    void failuresLoadTheErrorPage();
    void redirectsUpToFive_data();
    void redirectsUpToFive();
    void framesCompleteEachThenThePage();
    void framesAreLimited();
    void imagesOnlyFromThePagesHost();
    void scriptsAreNeverShown();
    void linksOpenTheDesktopBrowser_data();
    void linksOpenTheDesktopBrowser();
    void aTallPageScrolls();
    void navigatingFromAHandlerIsSafe();
    void hostilePagesEndBounded_data();
    void hostilePagesEndBounded();
    void aFailingHelperLeavesTheErrorPage_data();
    void aFailingHelperLeavesTheErrorPage();
    void anEndedNavigationWaitsForNothing();
    void theKeyboardReachesTheLinks_data();
    void theKeyboardReachesTheLinks();
    void linksAreAccessibleObjects();

private:
    // Navigates to path and waits until `completions` documents completed.
    QList<QString> navigate(const QString& path, int completions = 1);

    std::unique_ptr<QWidget> m_host;
    std::unique_ptr<LocalHttpServer> m_server;
    HelperWebPane* m_pane = nullptr;
    WebPaneLimits m_limits;
};

void TestWebPane::init() {
    m_server = std::make_unique<LocalHttpServer>();
    QVERIFY(m_server->listen());
    m_host = std::make_unique<QWidget>();
    m_host->resize(728, 90);
    m_limits = WebPaneLimits{};
    m_limits.timeout = std::chrono::milliseconds(1500); // the real one is 15 s
    m_limits.helper = QStringLiteral(TARVO_WEB_HELPER);
    m_pane = new HelperWebPane(m_limits, m_host.get());
    m_pane->widget()->resize(728, 90);
}

void TestWebPane::cleanup() {
    m_host.reset();
    m_server.reset();
}

QList<QString> TestWebPane::navigate(const QString& path, int completions) {
    QSignalSpy spy(m_pane, &IWebPane::DocumentComplete);
    m_pane->Navigate(m_server->origin() + path);
    QList<QString> urls;
    // Every case ends well within the injected time-out.
    for (int i = 0; i < 100 && spy.count() < completions; ++i)
        spy.wait(100);
    // Anything beyond the expected completions would arrive now.
    QTest::qWait(50);
    for (const auto& args : spy)
        urls << args.at(0).toString();
    return urls;
}

void TestWebPane::noDocumentBeforeANavigation() {
    try {
        m_pane->documentElementInnerHtml();
        QFAIL("a pane without a document gave markup");
    } catch (const runtime::RuntimeError& error) {
        QCOMPARE(error.number(), 91);
    }
}

void TestWebPane::documents_data() {
    QTest::addColumn<LocalHttpServer::Response>("response");
    QTest::addColumn<QString>("contains");
    QTest::addColumn<bool>("marker");

    const auto html = [](const QByteArray& body, const QByteArray& type = "text/html") {
        return LocalHttpServer::Response{200, type, body, {}};
    };
    QTest::newRow("marker page")
        << html("<html><head><title>kiv</title></head><body>x</body></html>")
        << "<HEAD><TITLE>kiv</TITLE></HEAD><BODY>x</BODY>" << true;
    QTest::newRow("upper-case tags")
        << html("<HTML><HEAD><TITLE>kiv</TITLE></HEAD></HTML>") << "<TITLE>kiv</TITLE>" << true;
    QTest::newRow("title KIV") << html("<title>KIV</title>") << "<TITLE>KIV</TITLE>" << false;
    QTest::newRow("title with blanks")
        << html("<title> kiv </title>") << "<TITLE> kiv </TITLE>" << false;
    QTest::newRow("GBK by header")
        << html("<title>kiv</title><p>" + gbk(QStringLiteral("网络信息")) + "</p>",
                "text/html; charset=GBK")
        << "<P>网络信息</P>" << true;
    QTest::newRow("GB2312 by meta")
        << html("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
                "<title>kiv</title><p>" +
                gbk(QStringLiteral("欢迎")) + "</p>")
        << "<P>欢迎</P>" << true;
    QTest::newRow("code page 936 otherwise")
        << html(gbk(QStringLiteral("<p>欢迎</p>"))) << "<P>欢迎</P>" << false;
    QTest::newRow("invalid bytes in GBK")
        << html("<title>kiv</title><p>\x81\xFF\xFE</p>", "text/html; charset=gbk") << "<P>" << true;
    QTest::newRow("binary as HTML")
        << html(QByteArray("\x00\x01\xFF<\x89PNG\x1A", 10)) << "<BODY>" << false;
    QTest::newRow("truncated") << html("<html><head><title>kiv</title></head><body><p><a hr")
                               << "<TITLE>kiv</TITLE>" << true;
    QTest::newRow("10,000 levels of nesting")
        << html("<title>kiv</title>" + QByteArray("<div>").repeated(10000) + "deep") << "deep"
        << true;
    QTest::newRow("no content type")
        << html("<title>kiv</title>", "") << "<TITLE>kiv</TITLE>" << true;
}

void TestWebPane::documents() {
    QFETCH(LocalHttpServer::Response, response);
    QFETCH(QString, contains);
    QFETCH(bool, marker);
    m_server->route("/page", response);

    const QList<QString> completed = navigate(QStringLiteral("/page"));
    QCOMPARE(completed.size(), 1);
    const QString html = m_pane->documentElementInnerHtml();
    QVERIFY2(html.contains(contains), qPrintable(html));
    QCOMPARE(html.contains(Marker), marker);
}

void TestWebPane::failuresLoadTheErrorPage_data() {
    QTest::addColumn<LocalHttpServer::Response>("response");
    QTest::addColumn<QString>("reason");

    const QByteArray marked = "<title>kiv</title>";
    QTest::newRow("404") << LocalHttpServer::Response{404, "text/html", marked, {}}
                         << "HTTP status 404";
    QTest::newRow("500") << LocalHttpServer::Response{500, "text/html", marked, {}}
                         << "HTTP status 500";
    QTest::newRow("5 MiB page") << LocalHttpServer::Response{200,
                                                             "text/html",
                                                             marked + QByteArray(5 << 20, 'x'),
                                                             {}}
                                << "too large";
    LocalHttpServer::Response unsized{200, "text/html", marked + QByteArray(5 << 20, 'x'), {}};
    unsized.noLength = true;
    QTest::newRow("5 MiB page without a length") << unsized << "too large";
    QTest::newRow("slow past the time-out")
        << LocalHttpServer::Response{200, "text/html", marked, {}, 0, true} << "time-out";
    QTest::newRow("one byte a tick")
        << LocalHttpServer::Response{200, "text/html", marked + QByteArray(400, ' '), {}, 10}
        << "time-out";
    LocalHttpServer::Response headerLine;
    headerLine.endless = "HTTP/1.1 200 OK\r\nX-Long: " + QByteArray(64 << 10, 'a');
    QTest::newRow("endless header line") << headerLine << "headers too large";
    LocalHttpServer::Response headers;
    headers.endless = "HTTP/1.1 200 OK\r\n" + QByteArray("X-Many: b\r\n").repeated(4096);
    QTest::newRow("endless headers") << headers << "headers too large";
    QTest::newRow("not HTML") << LocalHttpServer::Response{200, "image/png", marked, {}}
                              << "not HTML";
    QTest::newRow("redirect loop")
        << LocalHttpServer::Response{302, "text/html", {}, {{"Location", "/page"}}}
        << "too many redirects";
    QTest::newRow("redirect off plain HTTP")
        << LocalHttpServer::Response{302, "text/html", {}, {{"Location", "ftp://127.0.0.1/x"}}}
        << "not a plain HTTP address";
}

void TestWebPane::failuresLoadTheErrorPage() {
    QFETCH(LocalHttpServer::Response, response);
    QFETCH(QString, reason);
    m_server->route("/page", response);

    const QList<QString> completed = navigate(QStringLiteral("/page"));
    QCOMPARE(completed.size(), 1);
    const QString html = m_pane->documentElementInnerHtml();
    QVERIFY2(html.contains(QLatin1String("<TITLE>")), qPrintable(html));
    QVERIFY(!html.contains(Marker));
    // The error page is shown, not a part of the failed one.
    const QString text = static_cast<PaneView*>(m_pane->widget())->text();
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY(text.size() < 1000);
}

void TestWebPane::redirectsUpToFive_data() {
    QTest::addColumn<int>("hops");
    QTest::addColumn<bool>("arrives");
    QTest::newRow("five redirects") << 5 << true;
    QTest::newRow("six redirects") << 6 << false;
}

void TestWebPane::redirectsUpToFive() {
    QFETCH(int, hops);
    QFETCH(bool, arrives);
    for (int i = 0; i < hops; ++i)
        m_server->route("/hop" + QByteArray::number(i),
                        {301, "text/html", {}, {{"Location", "/hop" + QByteArray::number(i + 1)}}});
    m_server->page("/hop" + QByteArray::number(hops), "<title>kiv</title>");

    QCOMPARE(navigate(QStringLiteral("/hop0")).size(), 1);
    QCOMPARE(m_pane->documentElementInnerHtml().contains(Marker), arrives);
}

void TestWebPane::framesCompleteEachThenThePage() {
    m_server->page("/frames", "<html><head><title>top</title></head><frameset cols=\"50%,50%\">"
                              "<frame src=\"/left\"><frame src=\"/right\"></frameset></html>");
    m_server->page("/left", "<title>kiv</title><p>left side</p>");
    m_server->route("/right", {404, "text/html", "gone", {}});

    QSignalSpy spy(m_pane, &IWebPane::DocumentComplete);
    QStringList seen; // the top-level markup at each completion
    connect(m_pane, &IWebPane::DocumentComplete, this,
            [&] { seen << m_pane->documentElementInnerHtml(); });
    const QList<QString> completed = navigate(QStringLiteral("/frames"), 3);
    QCOMPARE(completed.size(), 3);
    QCOMPARE(completed.last(), m_server->origin() + QStringLiteral("/frames"));
    QCOMPARE(QSet<QString>(completed.begin(), completed.end() - 1),
             (QSet<QString>{m_server->origin() + "/left", m_server->origin() + "/right"}));
    QCOMPARE(seen.size(), 3);
    for (const QString& html : seen) {
        QVERIFY(html.contains(QLatin1String("<TITLE>top</TITLE>")));
        QVERIFY(!html.contains(Marker)); // the frame's title is not the page's
    }
    const auto* view = static_cast<PaneView*>(m_pane->widget());
    QVERIFY(view->text().contains(QLatin1String("left side")));
}

void TestWebPane::framesAreLimited() {
    // The same server under another name is another host.
    QByteArray page =
        "<title>top</title><iframe src=\"http://localhost:" + QByteArray::number(m_server->port()) +
        "/elsewhere\"></iframe>";
    page += "<iframe src=\"http://127.0.0.1:" + QByteArray::number(m_server->port() + 1) +
            "/port\"></iframe>";
    for (int i = 0; i < 10; ++i) {
        page += "<iframe src=\"/f" + QByteArray::number(i) + "\"></iframe>";
        m_server->page("/f" + QByteArray::number(i), "<iframe src=\"/deeper\"></iframe>");
    }
    m_server->page("/page", page);
    m_server->page("/elsewhere", "<title>kiv</title>");

    const QList<QString> completed = navigate(QStringLiteral("/page"), 9);
    QCOMPARE(completed.size(), 8 + 1);
    QCOMPARE(m_server->requests().size(), 1 + 8);
    QVERIFY(!m_server->requests().contains("/deeper"));
    QVERIFY(!m_server->requests().contains("/elsewhere"));
}

void TestWebPane::imagesOnlyFromThePagesHost() {
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    m_server->route("/red.png", {200, "image/png", testing::pngBytes(red), {}});
    m_server->route("/blue.png", {200, "image/png", testing::pngBytes(red), {}});
    // Small in bytes, but far too tall to be decoded.
    m_server->route(
        "/tall.png",
        {200, "image/png", testing::pngBytes(QImage(1, 50000, QImage::Format_Mono)), {}});
    m_server->page("/page", "<body><img src=\"red.png\" width=20 height=20>"
                            "<img src=\"http://localhost:" +
                                QByteArray::number(m_server->port()) +
                                "/blue.png\"><img src=\"tall.png\"></body>");

    QCOMPARE(navigate(QStringLiteral("/page")).size(), 1);
    // The pictures are fetched side by side, in no fixed order.
    const QList<QByteArray> asked = m_server->requests();
    QCOMPARE(asked.value(0), QByteArray("/page"));
    QCOMPARE(QSet<QByteArray>(asked.begin() + 1, asked.end()),
             (QSet<QByteArray>{"/red.png", "/tall.png"}));
    QCOMPARE(asked.size(), 3);
    auto* view = static_cast<PaneView*>(m_pane->widget());
    view->show();
    const QImage shot = view->grab().toImage();
    QCOMPARE(QColor(shot.pixel(10, 10)), QColor(255, 0, 0));
}

void TestWebPane::scriptsAreNeverShown() {
    m_server->page("/page",
                   "<script>document.write('written')</script><p onclick=\"x()\">shown</p>");
    QCOMPARE(navigate(QStringLiteral("/page")).size(), 1);
    const auto* view = static_cast<PaneView*>(m_pane->widget());
    QCOMPARE(view->text().trimmed(), QStringLiteral("shown"));
}

void TestWebPane::linksOpenTheDesktopBrowser_data() {
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QPoint>("on");     // a point on the link
    QTest::addColumn<QPoint>("beside"); // a point on no link
    QTest::newRow("the first line")
        << QByteArray("<a href=\"/more?x=1\">more</a>") << QPoint(5, 5) << QPoint(700, 5);
    QTest::newRow("the second cell of a table")
        << QByteArray("<table cellspacing=0 cellpadding=0><tr><td width=400>left</td>"
                      "<td><a href=\"/more?x=1\">more</a></td></tr></table>")
        << QPoint(405, 5) << QPoint(5, 5);
}

void TestWebPane::linksOpenTheDesktopBrowser() {
    QFETCH(QByteArray, html);
    QFETCH(QPoint, on);
    QFETCH(QPoint, beside);
    testing::UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    m_server->page("/page", "<title>kiv</title>" + html);
    QCOMPARE(navigate(QStringLiteral("/page")).size(), 1);

    // A click on the link opens it, a click beside it nothing; the pointer tells them apart.
    auto* view = static_cast<PaneView*>(m_pane->widget());
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    QWidget* surface = view->viewport();
    // The move is sent as an event: moving the system's pointer (as QTest does) reaches the
    // widget late or not at all where a window manager owns the pointer, as under wine.
    const auto hover = [surface](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, surface->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    };
    hover(on);
    QCOMPARE(surface->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(surface, Qt::LeftButton, {}, on);
    hover(beside);
    QCOMPARE(surface->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(surface, Qt::LeftButton, {}, beside);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(m_server->origin() + "/more?x=1")}));
    QVERIFY(view->text().contains(QLatin1String("more")));
    QCOMPARE(m_server->requests(), (QList<QByteArray>{"/page"}));
}

// Drawn at the pane's width less the scroll bar's, four pane heights at most, scrolled.
void TestWebPane::aTallPageScrolls() {
    m_server->page("/page", "<body bgcolor=#00ff00>" + QByteArray("<p>more</p>").repeated(50));
    auto* view = static_cast<PaneView*>(m_pane->widget());
    view->resize(480, 80);
    QCOMPARE(navigate(QStringLiteral("/page")).size(), 1);
    const int bar =
        view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view->verticalScrollBar());
    QCOMPARE(view->picture().size(), QSize(480 - bar, 4 * 80));
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    QVERIFY(view->verticalScrollBar()->isVisible());
    QCOMPARE(view->verticalScrollBar()->maximum(), 4 * 80 - 80);
    QCOMPARE(QColor(view->viewport()->grab().toImage().pixel(470 - bar, 70)), QColor(0, 255, 0));
}

void TestWebPane::navigatingFromAHandlerIsSafe() {
    m_server->page("/frames", "<frameset><frame src=\"/a\"><frame src=\"/b\"></frameset>");
    m_server->page("/a", "a");
    m_server->page("/b", "b");
    m_server->page("/next", "<title>kiv</title>");
    int calls = 0;
    connect(m_pane, &IWebPane::DocumentComplete, this, [&] {
        if (++calls == 1)
            m_pane->Navigate(m_server->origin() + "/next");
    });
    QSignalSpy spy(m_pane, &IWebPane::DocumentComplete);
    m_pane->Navigate(m_server->origin() + "/frames");
    QTRY_COMPARE(spy.count(), 2); // the first frame, then the new page
    QTest::qWait(200);
    QCOMPARE(spy.count(), 2); // the old page's second frame and the old page never
    QCOMPARE(spy.last().at(0).toString(), m_server->origin() + "/next");
    QVERIFY(m_pane->documentElementInnerHtml().contains(Marker));
}

void TestWebPane::hostilePagesEndBounded_data() {
    QTest::addColumn<Routes>("routes"); // the page is /page
    QTest::addColumn<QString>("shows"); // in the pane's text: an error page's reason
    QTest::addColumn<bool>("marker");   // the page itself is shown
    QTest::addColumn<QString>("limit"); // the helper's limit the row reaches
    QTest::addColumn<QList<QByteArray>>("neverAsked");

    const auto page = [](const QByteArray& html) {
        return LocalHttpServer::Response{200, "text/html", "<title>kiv</title>" + html, {}};
    };
    const QByteArray attributes = testing::manyAttributes();
    const QByteArray formatting = testing::reopenedFormatting();
    const LocalHttpServer::Response chunked = testing::endlessChunk();
    const QByteArray elsewhere = "http://localhost:%1/elsewhere";
    QByteArray pictures;
    for (int i = 0; i < 16; ++i)
        pictures += "<img src=/p" + QByteArray::number(i) + ".png>";
    Routes bigPictures{{"/page", page(pictures)}};
    QImage side(2048, 2048, QImage::Format_RGB32);
    side.fill(Qt::red);
    for (int i = 0; i < 16; ++i)
        bigPictures.append(
            {"/p" + QByteArray::number(i) + ".png", {200, "image/png", testing::pngBytes(side)}});

    // A quadratic parser (open elements it cannot close, duplicate attribute checks) and
    // a growing one (formatting reopened in every block) end at the helper's limits.
    QTest::newRow("100,000 unclosed rt")
        << Routes{{"/page", page(QByteArray("<rt>").repeated(100000))}}
        << "went past the CPU-time limit" << false << "cpu" << QList<QByteArray>{};
    QTest::newRow("one tag of 140,000 attributes")
        << Routes{{"/page", page(attributes)}} << "went past the CPU-time limit" << false << "cpu"
        << QList<QByteArray>{};
    QTest::newRow("500 formatting elements reopened in 10,000 blocks")
        << Routes{{"/page", page(formatting)}} << "went past the memory limit" << false << "memory"
        << QList<QByteArray>{};
    QTest::newRow("a gigabyte chunk")
        << Routes{{"/page", chunked}} << "too large" << false << "" << QList<QByteArray>{};
    QTest::newRow("two frames of 1 MiB of paragraphs")
        << Routes{{"/page", page("<iframe src=/a></iframe><iframe src=/b></iframe>")},
                  {"/a", page(QByteArray("<p>x").repeated(1 << 18))},
                  {"/b", page(QByteArray("<p>y").repeated(1 << 18))}}
        << "" << true << "" << QList<QByteArray>{};
    QTest::newRow("a frame and a picture redirected to another host")
        << Routes{{"/page", page("<iframe src=/f></iframe><img src=/i>")},
                  {"/f", {302, "text/html", {}, {{"Location", elsewhere}}}},
                  {"/i", {302, "text/html", {}, {{"Location", elsewhere}}}}}
        << "another host" << true << "" << QList<QByteArray>{"/elsewhere"};
    QTest::newRow("the page redirected to another host")
        << Routes{{"/page", {302, "text/html", {}, {{"Location", elsewhere}}}}} << "another host"
        << false << "" << QList<QByteArray>{"/elsewhere"};
    QTest::newRow("16 pictures of 2048 x 2048")
        << bigPictures << "" << true << "" << QList<QByteArray>{};
}

void TestWebPane::hostilePagesEndBounded() {
    QFETCH(Routes, routes);
    QFETCH(QString, shows);
    QFETCH(bool, marker);
    QFETCH(QString, limit);
    QFETCH(QList<QByteArray>, neverAsked);
    if (!limit.isEmpty() && qEnvironmentVariableIsSet("TARVO_UNDER_WINE"))
        QSKIP("wine keeps no job object's CPU time or memory limit");
    if (limit == QLatin1String("memory") && WebPaneLimits{}.memoryBytes == 0)
        QSKIP("this build gives the helper no memory limit");
    for (auto [path, response] : routes) {
        for (auto& [name, value] : response.headers)
            value.replace("%1", QByteArray::number(m_server->port()));
        m_server->route(path, response);
    }
    // Limits low enough to reach quickly; the parse of the largest fair page fits them.
    m_limits.timeout = std::chrono::milliseconds(10000);
    m_limits.cpuSeconds = 3;
    auto* pane = new HelperWebPane(m_limits, m_host.get());
    pane->widget()->resize(728, 90);
    QSignalSpy spy(pane, &IWebPane::DocumentComplete);
    pane->Navigate(m_server->origin() + "/page");
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(0).toString().endsWith("/page"),
                             15000);

    auto* view = static_cast<PaneView*>(pane->widget());
    const QString text = view->text();
    QVERIFY2(text.contains(shows), qPrintable(text.left(200)));
    QCOMPARE(pane->documentElementInnerHtml().contains(Marker), marker);
    // What the window holds is bounded whatever came: the pane's width, four pane heights.
    QVERIFY(text.size() <= 64 * 1024);
    QVERIFY(view->picture().width() <= 728 && view->picture().height() <= 4 * 90);
    for (const QByteArray& path : neverAsked)
        QVERIFY(!m_server->requests().contains(path));
}

void TestWebPane::aFailingHelperLeavesTheErrorPage_data() {
    QTest::addColumn<QByteArray>("script"); // the helper; empty: there is none
    QTest::addColumn<QString>("shows");
    QTest::newRow("stuck past the deadline") << QByteArray("exec sleep 30") << "in time";
    QTest::newRow("talking nonsense")
        << QByteArray("printf '\\377\\377\\377\\377 and more'; exec sleep 30")
        << "broke its protocol";
    QTest::newRow("ending without a page") << QByteArray("exit 0") << "ended early";
    QTest::newRow("without its sandbox")
        << "exit " + QByteArray::number(tarvo::sandbox::NoSandboxExit) << "its sandbox";
    QTest::newRow("missing") << QByteArray() << "missing";
}

void TestWebPane::aFailingHelperLeavesTheErrorPage() {
    QFETCH(QByteArray, script);
    QFETCH(QString, shows);
    if (qEnvironmentVariableIsSet("TARVO_UNDER_WINE"))
        QSKIP("the stand-in helpers are shell scripts");
    QTemporaryDir dir;
    m_limits.helper = standIn(dir, script);
    m_limits.timeout = std::chrono::milliseconds(300);
    m_limits.grace = std::chrono::milliseconds(300);
    auto* pane = new HelperWebPane(m_limits, m_host.get());
    QSignalSpy spy(pane, &IWebPane::DocumentComplete);
    pane->Navigate(m_server->origin() + "/page");
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
    const QString text = static_cast<PaneView*>(pane->widget())->text();
    QVERIFY2(text.contains(shows), qPrintable(text));
    QVERIFY(pane->documentElementInnerHtml().contains(QLatin1String("<TITLE>")));
}

// A navigation destroyed while its helper runs (here stopped) returns at once: the helper
// is killed, and reaped afterwards from the event loop.
void TestWebPane::anEndedNavigationWaitsForNothing() {
    if (qEnvironmentVariableIsSet("TARVO_UNDER_WINE"))
        QSKIP("the stand-in helpers are shell scripts");
    QTemporaryDir dir;
    QFile pid(dir.filePath(QStringLiteral("pid")));
    m_limits.helper = standIn(dir, "echo $$ >" + pid.fileName().toUtf8() + "; kill -STOP $$");
    webprotocol::Request request;
    request.url = QUrl(m_server->origin() + "/page");
    auto* navigation = new PageHelper(m_limits, request);
    navigation->start();
    QTRY_VERIFY(pid.size() > 0);
    QVERIFY(pid.open(QIODevice::ReadOnly));
    const QString process = QStringLiteral("/proc/") + pid.readAll().trimmed();
    delete navigation;
    QVERIFY(QFile::exists(process));
    QTRY_VERIFY(!QFile::exists(process));
}

void TestWebPane::theKeyboardReachesTheLinks_data() {
    QTest::addColumn<QList<int>>("keys"); // from a line edit before the pane
    QTest::addColumn<int>("focused");
    QTest::newRow("Tab into the pane: its first link")
        << QList<int>{Qt::Key_Tab, Qt::Key_Enter} << 0;
    QTest::newRow("Tab again: the next link")
        << QList<int>{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return} << 1;
    QTest::newRow("Shift+Tab: the one before")
        << QList<int>{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return} << 0;
    QTest::newRow("Shift+Tab into the pane: its last link")
        << QList<int>{Qt::Key_Backtab, Qt::Key_Return} << 1;
}

// A ring around the link in focus, and Enter or Return opens it.
void TestWebPane::theKeyboardReachesTheLinks() {
    QFETCH(QList<int>, keys);
    QFETCH(int, focused);
    testing::UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QWidget host;
    auto* edit = new QLineEdit(&host);
    auto* view = new PaneView(&host);
    view->setGeometry(0, 30, 100, 40);
    view->showPage(twoLinks());
    host.show();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    edit->setFocus();
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

    const QImage shot = view->viewport()->grab().toImage();
    const QList<webprotocol::Link> links = twoLinks().links;
    for (int i = 0; i < links.size(); ++i) {
        const QPoint left = links[i].area.topLeft() + QPoint(0, 5);
        QCOMPARE(QColor(shot.pixel(left - QPoint(2, 0))), i == focused ? Qt::black : Qt::gray);
        QCOMPARE(QColor(shot.pixel(left - QPoint(1, 0))), i == focused ? Qt::white : Qt::gray);
    }
    QCOMPARE(catcher.opened, QList<QUrl>{links[focused].url});
}

void TestWebPane::linksAreAccessibleObjects() {
    testing::UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    PaneView view;
    view.showPage(twoLinks());
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(&view);
    QCOMPARE(pane->text(QAccessible::Name), QStringLiteral("exe.live"));
    QCOMPARE(pane->text(QAccessible::Description), QStringLiteral("exe.live\none two"));
    QCOMPARE(pane->childCount(), 2);
    QAccessibleInterface* second = pane->child(1);
    QCOMPARE(second->role(), QAccessible::Link);
    QCOMPARE(second->text(QAccessible::Name), QStringLiteral("two"));
    QCOMPARE(pane->child(0)->text(QAccessible::Name), QStringLiteral("one"));
    QCOMPARE(pane->indexOfChild(second), 1);
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl("http://kiv.test/two")});
}

QTEST_MAIN(TestWebPane)
#include "test_webpane.moc"
