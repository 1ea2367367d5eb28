// The web pane's markup: serialisation as documentElement.innerHTML, what is shown, the
// nesting limit, charsets, and bounded outcomes on hostile input.
#include "runtime/codepage.h"
#include "webhelper/charset.h"
#include "webhelper/markup.h"
#include "webhelper/nesting.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace tarvo::webhelper;

namespace {

QString repeated(const QString& unit, int times) {
    QString text;
    text.reserve(unit.size() * times);
    for (int i = 0; i < times; ++i)
        text += unit;
    return text;
}

} // namespace

class TestMarkup final : public QObject {
    Q_OBJECT

private slots:
    void innerHtml_data();
    void innerHtml();
    void sources();
    void display_data();
    void display();
    void framesAreShownInPlace();
    void nesting_data();
    void nesting();
    void charset_data();
    void charset();
    void gbkText();
    void hostileInputIsBounded_data();
    void hostileInputIsBounded();
};

void TestMarkup::innerHtml_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("expected");

    QTest::newRow("tag names upper case")
        << "<html><head><title>kiv</title></head><body><p>a</p></body></html>"
        << "<HEAD><TITLE>kiv</TITLE></HEAD><BODY><P>a</P></BODY>";
    QTest::newRow("implied elements") << "kiv"
                                      << "<HEAD></HEAD><BODY>kiv</BODY>";
    QTest::newRow("title text kept as written") << "<TITLE> KIV </TITLE>"
                                                << "<HEAD><TITLE> KIV </TITLE></HEAD><BODY></BODY>";
    QTest::newRow("attributes in double quotes")
        << "<a HREF=x title='a\"b&c'>t</a>"
        << "<HEAD></HEAD><BODY><A href=\"x\" title=\"a&quot;b&amp;c\">t</A></BODY>";
    QTest::newRow("text escaped")
        << "<p>a &amp; b &lt; c &gt; d&nbsp;</p>"
        << "<HEAD></HEAD><BODY><P>a &amp; b &lt; c &gt; d&nbsp;</P></BODY>";
    QTest::newRow("void elements have no end tag")
        << "<p>a<br>b<img src=i.gif></p>"
        << "<HEAD></HEAD><BODY><P>a<BR>b<IMG src=\"i.gif\"></P></BODY>";
    QTest::newRow("script text as written")
        << "<script>if (a<b && c) x=\"&\";</script>"
        << "<HEAD><SCRIPT>if (a<b && c) x=\"&\";</SCRIPT></HEAD><BODY></BODY>";
    QTest::newRow("comments kept") << "<body><!-- note --></body>"
                                   << "<HEAD></HEAD><BODY><!-- note --></BODY>";
    QTest::newRow("unknown elements") << "<blink>x</blink>"
                                      << "<HEAD></HEAD><BODY><BLINK>x</BLINK></BODY>";
    QTest::newRow("frameset") << "<frameset><frame src=a></frameset>"
                              << "<HEAD></HEAD><FRAMESET><FRAME src=\"a\"></FRAMESET>";
    QTest::newRow("truncated tag dropped")
        << "<title>kiv</title><p>x<a hr"
        << "<HEAD><TITLE>kiv</TITLE></HEAD><BODY><P>x</P></BODY>";
}

void TestMarkup::innerHtml() {
    QFETCH(QString, page);
    QFETCH(QString, expected);
    QCOMPARE(Markup(page).innerHtml(), expected);
}

void TestMarkup::sources() {
    const Markup frames(QStringLiteral("<frameset><frame src=\" a.html \"><frame><frame src=b>"));
    QCOMPARE(frames.frameSources(), (QStringList{"a.html", "b"}));
    const Markup iframes(QStringLiteral("<p><iframe src=c></iframe><iframe src=''></iframe>"));
    QCOMPARE(iframes.frameSources(), (QStringList{"c"}));
    const Markup images(QStringLiteral("<img src=1.gif><p><img src=''><img src=2.png></p>"));
    QCOMPARE(images.imageSources(), (QStringList{"1.gif", "2.png"}));
    // Nothing inert or foreign is fetched.
    const Markup inert(QStringLiteral("<template><iframe src=t></iframe><img src=t.gif></template>"
                                      "<svg><foreignObject><iframe src=s></iframe></foreignObject>"
                                      "</svg><iframe src=d></iframe>"));
    QCOMPARE(inert.frameSources(), (QStringList{"d"}));
    QCOMPARE(inert.imageSources(), QStringList());
}

void TestMarkup::display_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("body"); // displayBody with base http://kiv.test/dir/
    QTest::newRow("scripts and plug-ins go")
        << "<p>a</p><script>alert(1)</script><object data=x>o</object><embed src=e><p>b</p>"
        << "<p>a</p><p>b</p>";
    QTest::newRow("handlers go") << "<p onclick=\"x()\" align=center>a</p>"
                                 << "<p align=\"center\">a</p>";
    QTest::newRow("links made absolute") << "<a href=\"../more?x=1\">m</a>"
                                         << "<a href=\"http://kiv.test/more?x=1\">m</a>";
    QTest::newRow("a known image stays") << "<img src=\"ok.gif\" width=2>"
                                         << "<img src=\"http://kiv.test/dir/ok.gif\" width=\"2\">";
    QTest::newRow("an unknown image leaves its alt text")
        << "<img src=\"file:///etc/x\" alt=\"pic\">"
        << "pic";
    // The caps below: depth 4, 12 elements, 40 characters of text, 400 of markup.
    QTest::newRow("deep nesting flattened")
        << repeated(QStringLiteral("<div>"), 6) + QStringLiteral("deep")
        << repeated(QStringLiteral("<div>"), 4) + QStringLiteral("deep") +
               repeated(QStringLiteral("</div>"), 4);
    QTest::newRow("elements end at their cap")
        << repeated(QStringLiteral("<p>x</p>"), 20) << repeated(QStringLiteral("<p>x</p>"), 12);
    QTest::newRow("an image counts as an element")
        << repeated(QStringLiteral("<p>x</p>"), 11) + QStringLiteral("<img src=ok.gif><p>y</p>")
        << repeated(QStringLiteral("<p>x</p>"), 11) +
               QStringLiteral("<img src=\"http://kiv.test/dir/ok.gif\">");
    QTest::newRow("a line break counts as an element")
        << repeated(QStringLiteral("<br>"), 20) << repeated(QStringLiteral("<br>"), 12);
    // Text past a cap is cut to 40 characters, the ellipsis included, and the page ends.
    QTest::newRow("alt text counts as text")
        << QStringLiteral("<img alt=\"%1\"><img alt=\"%1\"><img alt=\"%1\">").arg(QString(15, u'a'))
        << QString(39, u'a') + u'…';
    QTest::newRow("text is cut at its cap")
        << QStringLiteral("<b>%1</b><i>%1</i><u>%1</u><p>b</p>").arg(QString(15, u'a'))
        << QStringLiteral("<b>%1</b><i>%1</i><u>%2…").arg(QString(15, u'a'), QString(9, u'a'));
    QTest::newRow("text counted in characters")
        << QString(20, u'网') + QStringLiteral("<p>b</p>") << QString(20, u'网') + "<p>b</p>";
    QTest::newRow("never between the halves of a pair")
        << QString(38, u'a') + QStringLiteral("😀b") << QString(38, u'a') + u'…';
    QTest::newRow("text cut at the markup's cap")
        << QStringLiteral("<p title=\"%1\">%2</p>").arg(QString(350, u't'), QString(39, u'b'))
        << QStringLiteral("<p title=\"%1\">%2…").arg(QString(350, u't'), QString(37, u'b'));
    QTest::newRow("markup ends at its cap")
        << QStringLiteral("<p title=\"%1\">a</p><p title=\"%1\">b</p>").arg(QString(250, u't'))
        << QStringLiteral("<p title=\"%1\">a</p><p title=\"").arg(QString(250, u't'));
}

void TestMarkup::display() {
    QFETCH(QString, page);
    QFETCH(QString, body);
    Markup::Display display;
    display.base = QUrl(QStringLiteral("http://kiv.test/dir/page.php"));
    display.hasImage = [](const QUrl& url) { return url == QUrl("http://kiv.test/dir/ok.gif"); };
    display.caps.depth = 4;
    display.caps.elements = 12;
    display.caps.text = 40;
    display.caps.markup = 400;
    QCOMPARE(Markup(page).displayBody(display), body);
}

void TestMarkup::framesAreShownInPlace() {
    const Markup page(QStringLiteral("<html><head><title>t</title></head>"
                                     "<frameset><frame src=a><frame src=b></frameset></html>"));
    Markup::Display display;
    display.frameBody = [](int index) { return QStringLiteral("<p>frame %1</p>").arg(index); };
    const QString html = page.displayHtml(display);
    QVERIFY2(html.contains(
                 QLatin1String("<body><div><p>frame 0</p></div><div><p>frame 1</p></div></body>")),
             qPrintable(html));
    QVERIFY(html.contains(QLatin1String("<title>t</title>")));
}

void TestMarkup::nesting_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("maxDepth");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("within the limit")
        << QByteArray("<a><b>x</b></a>") << 2 << QByteArray("<a><b>x</b></a>");
    QTest::newRow("deeper start tags dropped")
        << QByteArray("<a><b><c x='>'>x</c></b></a>") << 2 << QByteArray("<a><b>x</c></b></a>");
    QTest::newRow("end tags free a level")
        << QByteArray("<a></a><div><c>x") << 2 << QByteArray("<a></a><div><c>x");
    QTest::newRow("closing a block frees what it holds")
        << QByteArray("<div><span></div><q><q>x") << 2 << QByteArray("<div><span></div><q><q>x");
    QTest::newRow("formatting outlives its block")
        << QByteArray("<div><b></div><q><u>x") << 2 << QByteArray("<div><b></div><q>x");
    QTest::newRow("a block inside formatting outlives its end tag")
        << QByteArray("<b><div></b><q><u>x") << 2 << QByteArray("<b><div></b><q>x");
    QTest::newRow("misnested formatting stays counted")
        << QByteArray("<b><i></b><u><s>x") << 2 << QByteArray("<b><i></b><u>x");
    QTest::newRow("void and optional-end tags are free")
        << QByteArray("<a><p><li><br><img src=x>y") << 1
        << QByteArray("<a><p><li><br><img src=x>y");
    QTest::newRow("comments hold no tags")
        << QByteArray("<a><!-- <b><c> -->x") << 1 << QByteArray("<a><!-- <b><c> -->x");
    QTest::newRow("unclosed tag at the end") << QByteArray("<a><b") << 1 << QByteArray("<a>");
}

void TestMarkup::nesting() {
    QFETCH(QByteArray, input);
    QFETCH(int, maxDepth);
    QFETCH(QByteArray, expected);
    QCOMPARE(limitNesting(input, maxDepth), expected);
}

void TestMarkup::charset_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("charset");

    QTest::newRow("none") << QByteArray("<p>x") << QByteArray("text/html") << QByteArray();
    QTest::newRow("response") << QByteArray("<p>x") << QByteArray("text/html; charset=\"GBK\"")
                              << QByteArray("gbk");
    QTest::newRow("response before page")
        << QByteArray("<meta charset=utf-8>") << QByteArray("text/html;charset=gb2312")
        << QByteArray("gb2312");
    QTest::newRow("meta charset") << QByteArray("<head><meta charset='gb2312'>") << QByteArray()
                                  << QByteArray("gb2312");
    QTest::newRow("meta http-equiv")
        << QByteArray("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=GBK\">")
        << QByteArray("text/html") << QByteArray("gbk");
    QTest::newRow("meta past 1024 bytes")
        << QByteArray(1100, ' ') + "<meta charset=gbk>" << QByteArray() << QByteArray();
    QTest::newRow("byte order mark first")
        << QByteArray("\xEF\xBB\xBF<meta charset=gbk>") << QByteArray("text/html; charset=gbk")
        << QByteArray("utf-8");
}

void TestMarkup::charset() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, charset);
    QCOMPARE(declaredCharset(body, contentType), charset);
}

void TestMarkup::gbkText() {
    const QByteArray bytes = tarvo::runtime::toAnsi(QStringLiteral("<p>网络信息</p>"));
    QCOMPARE(decodePage(bytes, "text/html; charset=gb2312"), QStringLiteral("<p>网络信息</p>"));
    // Pages declared GB2312 use GBK's characters beyond it, too.
    const QByteArray beyond = tarvo::runtime::toAnsi(QStringLiteral("我們"));
    QCOMPARE(decodePage(beyond, "text/html; charset=gb2312"), QStringLiteral("我們"));
    // Undeclared or unknown: the system's code page, 936.
    QCOMPARE(decodePage(bytes, "text/html; charset=x-unknown-charset"),
             QStringLiteral("<p>网络信息</p>"));
    QCOMPARE(decodePage(bytes, ""), QStringLiteral("<p>网络信息</p>"));
    QCOMPARE(decodePage("\xEF\xBB\xBF" + QStringLiteral("网络").toUtf8(), ""),
             QStringLiteral("网络"));
    // A lead byte with no trail, and bytes GBK does not use, become replacement characters.
    const QString broken = decodePage("a\x81", "text/html; charset=gbk");
    QVERIFY(broken.startsWith(u'a'));
    QVERIFY(broken.size() <= 2);
}

void TestMarkup::hostileInputIsBounded_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("kept"); // text that must survive

    QByteArray binary(1 << 20, '\0');
    QRandomGenerator random(12);
    for (char& c : binary)
        c = char(random.bounded(256));
    QTest::newRow("1 MiB of binary") << QString::fromLatin1(binary) << QString();
    QTest::newRow("10,000 nested divs")
        << repeated(QStringLiteral("<div>"), 10000) + QStringLiteral("bottom") << "bottom";
    QTest::newRow("10,000 nested tables")
        << repeated(QStringLiteral("<table><tr><td>"), 10000) + QStringLiteral("cell") << "cell";
    QTest::newRow("10,000 nested formatting")
        << repeated(QStringLiteral("<b><i><u>"), 10000) + QStringLiteral("text") << "text";
    QTest::newRow("1 MiB of nested divs")
        << repeated(QStringLiteral("<div>"), 200000) + QStringLiteral("end") << "end";
    QTest::newRow("misnested formatting")
        << repeated(QStringLiteral("<b><p><i></b>x</p>"), 30000) << "x";
    QTest::newRow("invalid UTF-16") << repeated(QString(QChar(0xD800)) + "<p>a", 1000) << "a";
}

void TestMarkup::hostileInputIsBounded() {
    QFETCH(QString, page);
    QFETCH(QString, kept);
    const Markup markup(page);
    const QString inner = markup.innerHtml();
    QVERIFY(inner.size() <= 1 << 20);
    QVERIFY(inner.contains(kept));
    Markup::Display display;
    display.frameBody = [](int) { return QString(); };
    QString shown = markup.displayHtml(display);
    QVERIFY(shown.size() <= 600 * 1024);
    QVERIFY(shown.contains(kept));
    // Style sheets are text, not elements.
    shown.remove(QRegularExpression(QStringLiteral("<style>.*</style>"),
                                    QRegularExpression::DotMatchesEverythingOption));
    // What is shown is never nested deeper than the display allows.
    int depth = 0, deepest = 0;
    for (qsizetype at = shown.indexOf(u'<'); at >= 0; at = shown.indexOf(u'<', at + 1)) {
        if (shown.mid(at, 2) == u"</")
            --depth;
        else if (!QStringView(shown).mid(at + 1, 2).startsWith(u"br") &&
                 !QStringView(shown).mid(at + 1, 3).startsWith(u"img"))
            deepest = std::max(deepest, ++depth);
    }
    QVERIFY2(deepest <= 24 + 4, qPrintable(QString::number(deepest)));
}

QTEST_MAIN(TestMarkup)
#include "test_markup.moc"
