#pragma once

#include "platform/webpane/panelimits.h"
#include "webprotocol/message.h"
#include "webprotocol/request.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

namespace tarvo::platform::webpane {

// One navigation, run by the tarvo-web helper process under the limits. It reports the
// helper's messages in order; if the helper cannot start, is ended at a limit, passes the
// deadline or breaks its protocol (a message out of order, malformed or past a cap), a
// Failed message stands in for whatever had not come yet. Nothing is reported after the
// page or the failure. It never waits for the helper: a helper still running when it is
// destroyed is killed, and its process object goes once the helper has ended.
class PageHelper final : public QObject {
    Q_OBJECT
public:
    PageHelper(const WebPaneLimits& limits, const tarvo::webprotocol::Request& request,
               QObject* parent = nullptr);
    ~PageHelper() override;

    void start();

signals:
    void message(const tarvo::webprotocol::Message& message);

private:
    void onOutput();
    void onEnded();
    void fail(const QString& why);
    void deliver(tarvo::webprotocol::Message next);

    WebPaneLimits m_limits;
    tarvo::webprotocol::Request m_request;
    QProcess& m_process; // on the heap, without a parent: see ~PageHelper
    QTimer m_deadline;
    tarvo::webprotocol::MessageReader m_reader;
    bool m_done = false;
};

// Where the helper is: limits.helper, or tarvo-web beside the running program or in its
// installed place under libexec.
QString helperProgram(const WebPaneLimits& limits);

} // namespace tarvo::platform::webpane
