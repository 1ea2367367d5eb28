#include "support/httpserver.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace tarvo::testing {

LocalHttpServer::LocalHttpServer() {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            auto* request = new QByteArray;
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                if (socket->property("answered").toBool())
                    return;
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n"))
                    return;
                const QByteArray line = request->left(request->indexOf("\r\n"));
                const QList<QByteArray> parts = line.split(' ');
                socket->setProperty("path", parts.value(1));
                socket->setProperty("answered", true);
                serve(socket);
            });
            connect(socket, &QObject::destroyed, socket, [request] { delete request; });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

LocalHttpServer::~LocalHttpServer() = default;

bool LocalHttpServer::listen() {
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString LocalHttpServer::origin() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void LocalHttpServer::serve(QTcpSocket* socket) {
    const QByteArray path = socket->property("path").toByteArray();
    m_requests << path;
    const Response response =
        m_routes.value(path, Response{404, "text/html", "<p>no such page</p>", {}});
    if (!response.endless.isEmpty()) {
        // Written as fast as the client reads, never more than a little ahead.
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, bytes = response.endless] {
            if (socket->bytesToWrite() < 256 * 1024)
                socket->write(bytes);
        });
        socket->write(response.endlessHead + response.endless);
        timer->start(1);
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    if (response.dripMs == 0 && !response.stall && !response.noLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (response.stall)
        return;
    if (response.dripMs == 0) {
        socket->write(response.body);
        socket->disconnectFromHost();
        return;
    }
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, sent, body = response.body] {
        if (*sent >= body.size()) {
            timer->stop();
            socket->disconnectFromHost();
            return;
        }
        socket->write(body.mid((*sent)++, 1));
    });
    timer->start(response.dripMs);
}

} // namespace tarvo::testing
