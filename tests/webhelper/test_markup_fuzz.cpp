// Fuzzes the web pane's markup with random and mutated documents for a fixed time: every
// document must parse and serialise without a crash, within the output bounds.
#include "webhelper/markup.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace tarvo::webhelper;

namespace {

constexpr int FuzzMilliseconds = 4000;

const char* const Names[] = {
    "html",     "head",      "body",     "title",  "div",    "p",      "b",     "i",
    "u",        "font",      "a",        "table",  "tr",     "td",     "th",    "tbody",
    "frameset", "frame",     "iframe",   "img",    "br",     "script", "style", "textarea",
    "xmp",      "plaintext", "noscript", "select", "option", "svg",    "math",  "foreignObject",
    "template", "li",        "ul",       "dl",     "dd",     "form",   "input", "nobr",
    "marquee",  "object",    "embed",    "TITLE",  "kiv"};
const char* const Pieces[] = {"kiv",        "&amp;", "&nbsp;", "&#0;", "&#xD800;",
                              "&#x110000;", "&lt",   "<!--",   "-->",  "<!DOCTYPE html>",
                              "<![CDATA[",  "]]>",   "\"",     "'",    "=",
                              ">",          "<",     "/",      "\r\n", "\xE7\xBD\x91",
                              "\xFF\xFE",   "\x81",  "\x00",   " ",    "<TITLE>kiv</TITLE>",
                              "</"};

class Fuzzer {
public:
    explicit Fuzzer(quint32 seed)
        : m_random(seed) {}

    int below(int n) { return int(m_random.bounded(quint32(n))); }

    QByteArray tag() {
        QByteArray out = "<";
        if (below(3) == 0)
            out += '/';
        out += Names[below(int(std::size(Names)))];
        for (int n = below(4); n > 0; --n) {
            out += ' ';
            out += below(5) == 0 ? QByteArray(Pieces[below(int(std::size(Pieces)))])
                                 : QByteArray("src");
            if (below(2))
                out += below(2) ? "=\"x<y>\"" : "=/a.html";
        }
        if (below(8) == 0)
            out += '/';
        if (below(20) != 0)
            out += '>';
        return out;
    }

    QByteArray piece() {
        switch (below(4)) {
        case 0:
        case 1:
            return tag();
        case 2:
            return Pieces[below(int(std::size(Pieces)))];
        default: {
            QByteArray bytes(below(12), '\0');
            for (char& c : bytes)
                c = char(below(256));
            return bytes;
        }
        }
    }

    QByteArray randomDocument() {
        QByteArray doc;
        const int pieces = below(2000);
        for (int i = 0; i < pieces; ++i)
            doc += piece();
        return doc;
    }

    QByteArray mutate(QByteArray doc) {
        for (int n = 1 + below(8); n > 0 && !doc.isEmpty(); --n) {
            const int at = below(int(doc.size()));
            switch (below(5)) {
            case 0:
                doc[at] = char(below(256));
                break;
            case 1:
                doc.insert(at, piece());
                break;
            case 2:
                doc.remove(at, below(64));
                break;
            case 3: // a slice repeated: nesting and misnesting grow fast
                if (doc.size() < (256 << 10)) {
                    const QByteArray slice = doc.mid(at, 1 + below(48));
                    doc.insert(at, slice.repeated(1 + below(200)));
                }
                break;
            default:
                doc.truncate(at);
                break;
            }
        }
        return doc;
    }

private:
    QRandomGenerator m_random;
};

const QByteArray Seeds[] = {
    "<html><head><title>kiv</title></head><body><p>Tarvo</p></body></html>",
    "<html><head><title>t</title></head><frameset cols=\"50%,*\"><frame src=a><frame "
    "src=\"b.html\"></frameset></html>",
    "<table><tr><td><font size=2><b>a<i>b</b>c</i></font></td><td><a href=x>y</a></td></tr>"
    "</table><img src=1.gif><iframe src=f></iframe>",
    "<b><p><i></b>x</p><table><b><tr><td>y</table>",
    "<svg><foreignObject><div><math><mi>x</mi></math></div></foreignObject></svg><template>"
    "<td>z</td></template>",
};

} // namespace

class TestMarkupFuzz final : public QObject {
    Q_OBJECT

private slots:
    void randomAndMutatedDocuments();
};

void TestMarkupFuzz::randomAndMutatedDocuments() {
    const quint32 seed = qEnvironmentVariableIsSet("TARVO_FUZZ_SEED")
                             ? quint32(qEnvironmentVariableIntValue("TARVO_FUZZ_SEED"))
                             : 20261207u;
    Fuzzer fuzz(seed);
    QElapsedTimer clock;
    clock.start();
    int documents = 0;
    qint64 bytes = 0;
    qint64 slowest = 0;
    QByteArray slowestDocument;
    while (clock.elapsed() < FuzzMilliseconds) {
        QByteArray doc = fuzz.below(3) == 0 ? fuzz.randomDocument()
                                            : fuzz.mutate(Seeds[fuzz.below(int(std::size(Seeds)))]);
        if (fuzz.below(4) == 0)
            doc = fuzz.mutate(doc);
        QElapsedTimer one;
        one.start();
        const QString text = QString::fromUtf8(doc);
        const Markup markup(text);
        const QString inner = markup.innerHtml();
        QVERIFY(inner.size() <= 1 << 20);
        QVERIFY(markup.frameSources().size() <= doc.count('<'));
        QVERIFY(markup.imageSources().size() <= doc.count('<'));
        Markup::Display display;
        display.base = QUrl(QStringLiteral("http://kiv.test/"));
        display.hasImage = [](const QUrl&) { return true; };
        display.frameBody = [](int) { return QStringLiteral("<p>frame</p>"); };
        const QString shown = markup.displayHtml(display);
        QVERIFY(shown.size() <= 600 * 1024);
        // The serialised markup parses again.
        QVERIFY(Markup(inner).innerHtml().size() <= 1 << 20);
        if (one.elapsed() > slowest) {
            slowest = one.elapsed();
            slowestDocument = doc.left(80);
        }
        ++documents;
        bytes += doc.size();
    }
    qInfo("markup fuzz: %d documents (%lld KiB) in %lld ms, seed %u; slowest %lld ms", documents,
          bytes / 1024, clock.elapsed(), seed, slowest);
    QVERIFY(documents > 100);
}

QTEST_MAIN(TestMarkupFuzz)
#include "test_markup_fuzz.moc"
