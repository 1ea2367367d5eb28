#include "platform/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tarvo::platform {

namespace {

QString lockDirectory() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime;
    return QDir::tempPath();
}

// Keeps only characters that are safe in a file name.
QString fileNameFor(const QString& appId) {
    QString name;
    for (const QChar c : appId)
        name += (c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.') ? c : u'_';
    if (name.isEmpty() || name.startsWith(u'.'))
        name.prepend(u'_');
    return name + QStringLiteral(".lock");
}

class LockFileInstance final : public ISingleInstance {
public:
    explicit LockFileInstance(const QString& appId)
        : m_lock(QDir(lockDirectory()).filePath(fileNameFor(appId))) {
        // Only a holder that is no longer running makes the lock stale; a live one keeps
        // it however long it runs.
        m_lock.setStaleLockTime(0);
    }

    bool claim() override {
        if (m_lock.isLocked())
            return true;
        // tryLock removes a lock whose process has died and takes it.
        return m_lock.tryLock(0);
    }

private:
    QLockFile m_lock;
};

} // namespace

std::unique_ptr<ISingleInstance> createSingleInstance(const QString& appId) {
    return std::make_unique<LockFileInstance>(appId);
}

} // namespace tarvo::platform
