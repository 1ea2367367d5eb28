#include "platform/singleinstance.h"

#include <windows.h>

namespace tarvo::platform {

namespace {

// A named mutex in the session's own namespace: the system removes it with the last
// process that holds it, so a copy that crashed never blocks the next start.
class MutexInstance final : public ISingleInstance {
public:
    explicit MutexInstance(const QString& appId)
        : m_name(QStringLiteral("Local\\") + QString(appId).replace(u'\\', u'_')) {}
    ~MutexInstance() override {
        if (m_mutex)
            ::CloseHandle(m_mutex);
    }
    MutexInstance(const MutexInstance&) = delete;
    MutexInstance& operator=(const MutexInstance&) = delete;

    bool claim() override {
        if (m_mutex)
            return true;
        HANDLE mutex = ::CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(m_name.utf16()));
        if (!mutex)
            return false;
        if (::GetLastError() == ERROR_ALREADY_EXISTS) {
            ::CloseHandle(mutex);
            return false;
        }
        m_mutex = mutex;
        return true;
    }

private:
    QString m_name;
    HANDLE m_mutex = nullptr;
};

} // namespace

std::unique_ptr<ISingleInstance> createSingleInstance(const QString& appId) {
    return std::make_unique<MutexInstance>(appId);
}

} // namespace tarvo::platform
