#include "platform/webpane/pagehelper.h"

#include "sandbox/confinement.h"
#include "sandbox/ending.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace tarvo::platform::webpane {

using tarvo::sandbox::endReason;
using tarvo::sandbox::HelperEnd;
using tarvo::webprotocol::Message;
using tarvo::webprotocol::Request;

QString helperProgram(const WebPaneLimits& limits) {
    if (!limits.helper.isEmpty())
        return limits.helper;
    // Beside the program in a build tree and the Windows zip; installed, under libexec.
    // Only these two places: never the search path, which anyone may put first.
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList places{dir,
                             QDir::cleanPath(dir + QStringLiteral("/" TARVO_HELPER_FROM_PROGRAM))};
    const QString found = QStandardPaths::findExecutable(QStringLiteral("tarvo-web"), places);
    return found.isEmpty() ? dir + QStringLiteral("/tarvo-web") : found;
}

PageHelper::PageHelper(const WebPaneLimits& limits, const Request& request, QObject* parent)
    : QObject(parent)
    , m_limits(limits)
    , m_request(request)
    , m_process(*new QProcess)
    , m_reader(request.pane, request.ratio) {
    m_request.timeout = limits.timeout;
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { fail(endReason(HelperEnd::Deadline)); });
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &PageHelper::onOutput);
    connect(&m_process, &QProcess::finished, this, &PageHelper::onEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(endReason(HelperEnd::Missing));
    });
}

// A process object destroyed while its process runs waits for it, and a kill takes a
// while to end a large process: the object is left to go once the helper has ended.
PageHelper::~PageHelper() {
    m_process.disconnect(this);
    if (m_process.state() == QProcess::NotRunning) {
        delete &m_process;
        return;
    }
    QProcess* process = &m_process;
    connect(process, &QProcess::stateChanged, process, [process](QProcess::ProcessState state) {
        if (state == QProcess::NotRunning)
            process->deleteLater();
    });
    process->kill();
}

void PageHelper::start() {
    // The helper reports only web addresses; it is not started for another.
    if (!tarvo::webprotocol::isPaneLink(m_request.url)) {
        QMetaObject::invokeMethod(
            this, [this] { fail(QStringLiteral("not a plain HTTP address")); },
            Qt::QueuedConnection);
        return;
    }
    // The helper keeps the page's deadline itself and reports what it has by then; the
    // grace is for a helper stuck past it.
    m_deadline.start(m_limits.timeout + m_limits.grace);
    if (!tarvo::sandbox::startConfined(m_process, helperProgram(m_limits),
                                       tarvo::webprotocol::toArguments(m_request),
                                       {m_limits.cpuSeconds, m_limits.memoryBytes}))
        fail(endReason(HelperEnd::NotConfined));
}

void PageHelper::onOutput() {
    while (!m_done && m_process.bytesAvailable() > 0) {
        // Only what has come: a larger read would reserve its whole size first.
        m_reader.feed(m_process.readAll());
        while (!m_done) {
            std::optional<Message> next = m_reader.next();
            if (!next)
                break;
            deliver(std::move(*next));
        }
        if (m_reader.broken())
            fail(QStringLiteral("the page helper broke its protocol"));
    }
}

void PageHelper::onEnded() {
    onOutput();
    if (m_done)
        return;
    fail(endReason(tarvo::sandbox::helperEnd(m_process)));
}

void PageHelper::fail(const QString& why) {
    if (m_done)
        return;
    m_done = true;
    m_deadline.stop();
    m_process.kill();
    Message failed;
    failed.kind = Message::Kind::Failed;
    failed.url = m_request.url;
    failed.text = why;
    emit message(failed);
}

void PageHelper::deliver(Message next) {
    if (next.kind == Message::Kind::Page || next.kind == Message::Kind::Failed) {
        m_done = true;
        m_deadline.stop();
    }
    emit message(next);
}

} // namespace tarvo::platform::webpane
