#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>

#include <utility>

namespace tarvo::testing {

// A small HTTP/1.1 server on 127.0.0.1 for tests: one response per path, each
// connection closed after its answer. Responses may drip byte by byte or stall.
class LocalHttpServer final : public QObject {
    Q_OBJECT
public:
    struct Response {
        using Headers = QList<std::pair<QByteArray, QByteArray>>;
        Response(int status = 200, QByteArray contentType = "text/html", QByteArray body = {},
                 Headers headers = {}, int dripMs = 0, bool stall = false)
            : status(status)
            , contentType(std::move(contentType))
            , body(std::move(body))
            , headers(std::move(headers))
            , dripMs(dripMs)
            , stall(stall) {}

        int status;
        QByteArray contentType;
        QByteArray body;
        Headers headers;
        int dripMs = 0;         // > 0: the body goes one byte per interval
        bool stall = false;     // the headers go, the body never does
        bool noLength = false;  // no Content-Length: the body ends with the connection
        QByteArray endless;     // not empty: the answer is these bytes, then them again, forever
        QByteArray endlessHead; // with endless: sent once before it
    };

    LocalHttpServer();
    ~LocalHttpServer() override;

    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    QString origin() const; // "http://127.0.0.1:<port>"
    void close() { m_server.close(); }

    void route(const QByteArray& path, Response response) {
        m_routes.insert(path, std::move(response));
    }
    void page(const QByteArray& path, const QByteArray& html) {
        route(path, Response{200, "text/html", html, {}});
    }
    // Paths (with query) in the order they were asked for.
    const QList<QByteArray>& requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QByteArray, Response> m_routes;
    QList<QByteArray> m_requests;
};

} // namespace tarvo::testing
