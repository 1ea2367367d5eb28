// webflood: a stand-in for the pages' helper that floods the window in the real protocol
// (webprotocol's own encoder), placed where the window finds its helper. The address it is
// asked for names the flood: /frames (1,000,000 Frames), /documents (64 innerHTMLs of 1 M
// characters with 1,000 Frames each), /url (a Frame address of 4 M characters), /links (a
// link area of 2,000,000 x 2,000,000 around a 10 x 10 picture), or /fair, the reference: a
// fair helper's largest page for a 728 x 90 pane after 8 Frames. Then it waits to be
// ended.
#include "webprotocol/caps.h"
#include "webprotocol/message.h"

#include <QThread>

#include <cstdio>

using namespace tarvo::webprotocol;

namespace {

void send(const QByteArray& bytes, int times = 1) {
    for (int i = 0; i < times; ++i)
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
            return;
}

Message frame(const QString& url) {
    Message message;
    message.kind = Message::Kind::Frame;
    message.url = QUrl(url);
    return message;
}

} // namespace

int main(int argc, char* argv[]) {
    const QString flood =
        argc > 1 ? QUrl(QString::fromLocal8Bit(argv[argc - 1])).path() : QString();
    const QByteArray aFrame = encode(frame(QStringLiteral("http://127.0.0.1/frame")));
    Message document;
    document.markup = QStringLiteral("<HEAD><TITLE>flood</TITLE></HEAD>");
    if (flood == QLatin1String("/frames")) {
        send(encode(document));
        send(aFrame, 1000000);
    } else if (flood == QLatin1String("/documents")) {
        document.markup = QString(1 << 20, u'x');
        const QByteArray big = encode(document);
        for (int i = 0; i < 64; ++i) {
            send(big);
            send(aFrame, 1000);
        }
    } else if (flood == QLatin1String("/url")) {
        send(encode(document));
        send(encode(frame(QStringLiteral("http://127.0.0.1/") + QString(4 << 20, u'a'))));
    } else if (flood == QLatin1String("/fair")) {
        send(encode(document));
        send(aFrame, MaxFrames);
        Message page = frame(QStringLiteral("http://127.0.0.1/fair"));
        page.kind = Message::Kind::Page;
        page.picture = QImage(maxPicture({728, 90}, 1), QImage::Format_RGB32);
        page.picture.fill(Qt::darkCyan);
        for (int i = 0; i < MaxLinks; ++i)
            page.links << Link{QRect(i, 0, 10, 10),
                               QUrl(QStringLiteral("http://127.0.0.1/%1").arg(i)),
                               QString(MaxLinkText, u'l')};
        page.text = QString(MaxText, u'网');
        send(encode(page));
    } else if (flood == QLatin1String("/links")) {
        send(encode(document));
        Message page = frame(QStringLiteral("http://127.0.0.1/links"));
        page.kind = Message::Kind::Page;
        page.picture = QImage(10, 10, QImage::Format_RGB32);
        page.picture.fill(Qt::white);
        page.links << Link{QRect(-1000000, -1000000, 2000000, 2000000),
                           QUrl(QStringLiteral("http://127.0.0.1/clicked")), QStringLiteral("x")};
        send(encode(page));
    }
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
