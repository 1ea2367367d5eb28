#include "sandbox/linux/fontroot.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace tarvo::sandbox {
namespace {

// Where the new root is built: an existing folder, covered in this namespace only.
constexpr char Building[] = "/tmp";

QString failure(const char* what) {
    return QStringLiteral("no namespace of its own: %1: %2")
        .arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool writeFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), std::size_t(text.size())) == text.size();
    ::close(fd);
    return written;
}

// The same user and group inside as outside, and no others.
bool mapIdentity(uid_t user, gid_t group) {
    return writeFile("/proc/self/setgroups", "deny") &&
           writeFile("/proc/self/uid_map",
                     QByteArray::number(user) + ' ' + QByteArray::number(user) + " 1") &&
           writeFile("/proc/self/gid_map",
                     QByteArray::number(group) + ' ' + QByteArray::number(group) + " 1");
}

// A mount point for a folder or file at path under the new root, with its parents.
bool makeMountPoint(const QByteArray& path, bool folder) {
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        if (::mkdir(path.left(slash).constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    if (folder)
        return ::mkdir(path.constData(), 0755) == 0 || errno == EEXIST;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

struct Source {
    QByteArray path;
    int fd; // opened before the old root is covered, bound from there
    bool folder;
};

} // namespace

QString enterFontOnlyRoot(const QStringList& readable) {
    const uid_t user = ::getuid();
    const gid_t group = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return failure("unshare");
    if (!mapIdentity(user, group))
        return failure("identity");
    std::vector<Source> sources;
    for (const QString& path : readable) {
        const QByteArray encoded = QFile::encodeName(path);
        const int fd = ::open(encoded.constData(), O_PATH | O_CLOEXEC);
        struct stat status {};
        if (fd >= 0 && ::fstat(fd, &status) == 0)
            sources.push_back({encoded, fd, S_ISDIR(status.st_mode)});
        else if (fd >= 0)
            ::close(fd);
    }
    // Nothing done here reaches the mounts outside.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return failure("private mounts");
    if (::mount("tarvo-web", Building, "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                "mode=0755,size=64k") != 0)
        return failure("an empty root");
    bool bound = true;
    for (const Source& source : sources) {
        const QByteArray target = Building + source.path;
        const QByteArray from = "/proc/self/fd/" + QByteArray::number(source.fd);
        bound =
            bound && makeMountPoint(target, source.folder) &&
            ::mount(from.constData(), target.constData(), nullptr, MS_BIND | MS_REC, nullptr) == 0;
        ::close(source.fd);
    }
    if (!bound)
        return failure("the fonts");
    // The old root is let go of entirely; where it cannot be (the root is no mount
    // point), the process is shut in the new one, which no call left to it can undo.
    if (::chdir(Building) != 0)
        return failure("the new root");
    if (syscall(SYS_pivot_root, ".", ".") == 0) {
        if (::umount2(".", MNT_DETACH) != 0)
            return failure("the old root");
    } else if (::chroot(".") != 0) {
        return failure("the new root");
    }
    if (::chdir("/") != 0)
        return failure("the new root");
    return {};
}

} // namespace tarvo::sandbox
