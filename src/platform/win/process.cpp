#include "platform/process.h"

#include "platform/consoletext.h"
#include "platform/win/waitsignalled.h"

#include <QAtomicInteger>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

namespace tarvo::platform {

namespace {

constexpr DWORD PipeBufferBytes = 4096;

// A handle closed when it goes.
class Handle final {
public:
    explicit Handle(HANDLE h = nullptr)
        : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void reset(HANDLE h = nullptr) {
        if (m_h)
            ::CloseHandle(m_h);
        m_h = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    HANDLE release() {
        HANDLE h = m_h;
        m_h = nullptr;
        return h;
    }

private:
    HANDLE m_h;
};

// The read end is a named pipe opened for overlapped reads, so that waiting for output
// can let window messages run (an anonymous pipe cannot be waited for); the child gets
// an ordinary inheritable write end.
bool makePipe(Handle& readEnd, Handle& writeEnd) {
    static QAtomicInteger<quint32> serial;
    const QString name = QStringLiteral("\\\\.\\pipe\\tarvo-%1-%2")
                             .arg(::GetCurrentProcessId())
                             .arg(serial.fetchAndAddRelaxed(1));
    const auto* wname = reinterpret_cast<LPCWSTR>(name.utf16());
    readEnd.reset(::CreateNamedPipeW(
        wname, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, PipeBufferBytes, 0, nullptr));
    if (!readEnd)
        return false;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    writeEnd.reset(::CreateFileW(wname, GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return bool(writeEnd);
}

class PipeOutput final : public IProcessOutput {
public:
    PipeOutput(Handle& readEnd, const PROCESS_INFORMATION& child)
        : m_pipe(readEnd.release())
        , m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
        , m_process(child.hProcess)
        , m_thread(child.hThread) {}
    ~PipeOutput() override {
        if (m_pending) {
            ::CancelIoEx(m_pipe.get(), &m_overlapped);
            DWORD ignored = 0;
            ::GetOverlappedResult(m_pipe.get(), &m_overlapped, &ignored, TRUE);
        }
    }
    PipeOutput(const PipeOutput&) = delete;
    PipeOutput& operator=(const PipeOutput&) = delete;

    QString read(int maxBytes) override {
        if (maxBytes <= 0)
            return {};
        // A chunk that holds only the start of a character gives no text yet: read on.
        for (;;) {
            while (m_have.isEmpty() && !m_ended) {
                startRead();
                if (m_pending)
                    finishRead(true);
            }
            if (m_have.isEmpty())
                return m_text.finish();
            const QByteArray chunk = m_have.left(maxBytes);
            m_have.remove(0, chunk.size());
            const QString text = m_text.decode(chunk);
            if (!text.isEmpty())
                return text;
        }
    }

    void waitForOutput() override {
        while (m_have.isEmpty() && !m_ended) {
            startRead();
            if (m_pending && win::waitSignalled(m_event.get()))
                finishRead(false);
        }
    }

private:
    // Starts one overlapped read into m_buffer; a read that completes at once is taken.
    void startRead() {
        if (m_pending || m_ended)
            return;
        if (!m_event) {
            end();
            return;
        }
        m_overlapped = OVERLAPPED{};
        m_overlapped.hEvent = m_event.get();
        DWORD got = 0;
        if (::ReadFile(m_pipe.get(), m_buffer, sizeof m_buffer, &got, &m_overlapped)) {
            take(got);
        } else if (::GetLastError() == ERROR_IO_PENDING) {
            m_pending = true;
        } else {
            end();
        }
    }

    void finishRead(bool wait) {
        DWORD got = 0;
        if (::GetOverlappedResult(m_pipe.get(), &m_overlapped, &got, wait)) {
            m_pending = false;
            take(got);
        } else if (::GetLastError() != ERROR_IO_INCOMPLETE) {
            m_pending = false;
            end();
        }
    }

    void take(DWORD got) { m_have.append(m_buffer, qsizetype(got)); }

    // A failed read: the pipe is broken once the child and everyone else holding the
    // write end closed it.
    void end() { m_ended = true; }

    Handle m_pipe;
    Handle m_event;
    Handle m_process;
    Handle m_thread;
    OVERLAPPED m_overlapped{};
    char m_buffer[PipeBufferBytes];
    ConsoleText m_text{consoleCodePage()};
    QByteArray m_have; // the console's bytes, not yet read
    bool m_pending = false;
    bool m_ended = false;
};

class CreateProcessLauncher final : public IProcessLauncher {
public:
    std::unique_ptr<IProcessOutput> start(const QString& commandLine) override;
};

// A program named without a folder is the system's own, from the system folder only:
// CreateProcessW would look in this program's folder and the current directory first,
// where anyone who can write there could plant a ping.exe. A program given with its folder
// is left to the system (empty); nothing when the system folder cannot be found.
std::optional<std::wstring> systemProgram(const QString& program) {
    if (program.contains(u'\\') || program.contains(u'/') || program.contains(u':'))
        return std::wstring();
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::nullopt;
    QString path = QString::fromWCharArray(folder, int(length)) + u'\\' + program;
    if (!program.contains(u'.'))
        path += QStringLiteral(".exe");
    return path.toStdWString();
}

std::unique_ptr<IProcessOutput> CreateProcessLauncher::start(const QString& commandLine) {
    // The system splits the line itself, by the rules splitCommandLine follows; a NUL
    // would end it early.
    if (commandLine.isEmpty() || commandLine.contains(QChar(0)))
        return nullptr;
    const std::optional<std::wstring> program =
        systemProgram(splitCommandLine(commandLine).value(0));
    if (!program)
        return nullptr;
    Handle readEnd;
    Handle writeEnd;
    if (!makePipe(readEnd, writeEnd))
        return nullptr;

    STARTUPINFOW startup{};
    ::GetStartupInfoW(&startup);
    startup.cb = sizeof startup;
    startup.lpReserved = nullptr;
    startup.lpDesktop = nullptr;
    startup.lpTitle = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();

    // CreateProcessW may write into the command line; it gets a copy of its own.
    std::wstring line = commandLine.toStdWString();
    PROCESS_INFORMATION child{};
    const BOOL started =
        ::CreateProcessW(program->empty() ? nullptr : program->c_str(), line.data(), nullptr,
                         nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
    // Only the child holds the write end now, so the output ends when the child ends,
    // also when it writes nothing at all.
    writeEnd.reset();
    if (!started)
        return nullptr;
    return std::make_unique<PipeOutput>(readEnd, child);
}

} // namespace

std::unique_ptr<IProcessLauncher> createProcessLauncher() {
    return std::make_unique<CreateProcessLauncher>();
}

QString pingCommandLine(const QString& address) {
    return QStringLiteral("ping ") + address + QStringLiteral(" -n 3 -w 1500");
}

} // namespace tarvo::platform
