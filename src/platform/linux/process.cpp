#include "platform/process.h"

#include "platform/consoletext.h"
#include "platform/linux/waitreadable.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace tarvo::platform {

namespace {

// Children whose output ended before they exited; collected on later starts so that
// none stays a zombie and the caller never waits for one.
std::vector<pid_t>& lingeringChildren() {
    static std::vector<pid_t> children;
    return children;
}

bool collected(pid_t pid) {
    for (;;) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid)
            return true;
        if (r < 0 && errno == EINTR)
            continue;
        // Still running (0), or no longer ours to wait for (ECHILD).
        return r < 0;
    }
}

void collectLingering() {
    auto& children = lingeringChildren();
    children.erase(std::remove_if(children.begin(), children.end(), collected), children.end());
}

// A child usually exits right after its output ends; give it a moment before leaving
// it to a later collection.
void reap(pid_t pid) {
    using namespace std::chrono_literals;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (collected(pid))
            return;
        std::this_thread::sleep_for(1ms);
    }
    lingeringChildren().push_back(pid);
}

class PipeOutput final : public IProcessOutput {
public:
    PipeOutput(int readFd, pid_t pid)
        : m_fd(readFd)
        , m_pid(pid) {}
    ~PipeOutput() override {
        ::close(m_fd);
        reap(m_pid);
    }
    PipeOutput(const PipeOutput&) = delete;
    PipeOutput& operator=(const PipeOutput&) = delete;

    QString read(int maxBytes) override {
        if (maxBytes <= 0)
            return {};
        QByteArray buffer(maxBytes, Qt::Uninitialized);
        // A chunk that holds only the start of a character gives no text yet: read on.
        for (;;) {
            ssize_t got;
            do {
                got = ::read(m_fd, buffer.data(), size_t(maxBytes));
            } while (got < 0 && errno == EINTR);
            if (got <= 0)
                return m_text.finish();
            const QString text = m_text.decode(QByteArrayView(buffer.constData(), got));
            if (!text.isEmpty())
                return text;
        }
    }

    void waitForOutput() override { linux_::waitReadable(m_fd); }

private:
    int m_fd;
    pid_t m_pid;
    ConsoleText m_text{consoleCodePage()};
};

class SpawnLauncher final : public IProcessLauncher {
public:
    std::unique_ptr<IProcessOutput> start(const QString& commandLine) override;
};

std::unique_ptr<IProcessOutput> SpawnLauncher::start(const QString& commandLine) {
    collectLingering();

    const QStringList args = splitCommandLine(commandLine);
    if (args.isEmpty() || args.front().isEmpty())
        return nullptr;
    std::vector<QByteArray> storage;
    storage.reserve(size_t(args.size()));
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i].contains(QChar(0)))
            return nullptr; // cannot be handed to exec
        storage.push_back(i == 0 ? QFile::encodeName(args[i]) : args[i].toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return nullptr;
    // dup2 onto the same descriptor would keep close-on-exec set; keep the write end
    // above the standard descriptors.
    if (fds[1] <= STDERR_FILENO) {
        const int moved = ::fcntl(fds[1], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(fds[1]);
        if (moved < 0) {
            ::close(fds[0]);
            return nullptr;
        }
        fds[1] = moved;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);

    // The child starts with default signal handling and nothing blocked.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);

    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // Only the child holds the write end now, so the output ends when the child ends,
    // also when it writes nothing at all.
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        return nullptr;
    }
    return std::make_unique<PipeOutput>(fds[0], pid);
}

} // namespace

std::unique_ptr<IProcessLauncher> createProcessLauncher() {
    return std::make_unique<SpawnLauncher>();
}

QString pingCommandLine(const QString& address) {
    return QStringLiteral("ping -n -c 3 -W 1.5 ") + address;
}

} // namespace tarvo::platform
