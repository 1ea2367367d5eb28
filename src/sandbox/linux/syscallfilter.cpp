#include "sandbox/linux/syscallfilter.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/futex.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace tarvo::sandbox {
namespace {

using Filter = std::unique_ptr<void, decltype(&seccomp_release)>;

// What the helper still does once it holds the page: read and write the descriptors it
// has, wait in its event loop, allocate, run its threads, open fonts to read, tell the
// time. One line each on why.
constexpr int HelperCalls[] = {
    SCMP_SYS(read),            // sockets, its broker, font files, the event loop's wake-ups
    SCMP_SYS(readv),           // the same, scattered (stdio, FreeType)
    SCMP_SYS(pread64),         // font files and their caches read at an offset
    SCMP_SYS(write),           // its messages on standard output, requests, wake-ups
    SCMP_SYS(writev),          // the same, gathered (stdio)
    SCMP_SYS(recvfrom),        // the connections the broker gave it
    SCMP_SYS(recvmsg),         // the broker's replies, which carry the connection
    SCMP_SYS(shutdown),        // ending a connection
    SCMP_SYS(getsockname),     // the connection's own address, for the socket layer
    SCMP_SYS(getpeername),     // the connection's peer address, for the socket layer
    SCMP_SYS(close),           // every descriptor it is done with
    SCMP_SYS(fstat),           // the size of a font file or cache before mapping it
    SCMP_SYS(fstatfs),         // fontconfig checks a cache's file system before mapping it
    SCMP_SYS(lseek),           // reading a font file in parts
    SCMP_SYS(getdents64),      // listing a font directory (what Landlock lets it read)
    SCMP_SYS(munmap),          // freeing memory and closing mapped fonts
    SCMP_SYS(mremap),          // growing large allocations
    SCMP_SYS(brk),             // the heap
    SCMP_SYS(set_robust_list), // every new thread (glibc)
    SCMP_SYS(rseq),            // every new thread (glibc)
    SCMP_SYS(sched_yield),     // spinning locks
    SCMP_SYS(rt_sigaction),    // signal handlers (glib, Qt)
    SCMP_SYS(rt_sigprocmask),  // blocking signals in new threads
    SCMP_SYS(rt_sigreturn),    // returning from a signal handler
    SCMP_SYS(sigaltstack),     // a thread's signal stack
    SCMP_SYS(restart_syscall), // a call interrupted by a signal goes on
    SCMP_SYS(poll),            // the event loop
    SCMP_SYS(ppoll),           // the event loop, newer form
    SCMP_SYS(pselect6),        // waits in libraries
    SCMP_SYS(epoll_create1),   // event loops of libraries
    SCMP_SYS(epoll_ctl),       // the same
    SCMP_SYS(epoll_wait),      // the same
    SCMP_SYS(epoll_pwait),     // the same
    SCMP_SYS(eventfd2),        // an event loop's wake-up (one per thread with a loop)
    SCMP_SYS(clock_gettime),   // timers and the page's deadline
    SCMP_SYS(clock_getres),    // timer resolution
    SCMP_SYS(gettimeofday),    // the time of day (glib)
    SCMP_SYS(clock_nanosleep), // sleeping threads
    SCMP_SYS(nanosleep),       // the same, older form
    SCMP_SYS(getpid),          // its own identity (glib, Qt)
    SCMP_SYS(gettid),          // its thread's identity
    SCMP_SYS(getuid),          // its user, asked by libraries; changes nothing
    SCMP_SYS(geteuid),         // the same
    SCMP_SYS(getgid),          // the same
    SCMP_SYS(getegid),         // the same
    SCMP_SYS(uname),           // the kernel's version, asked by libraries
    SCMP_SYS(getrandom),       // hash seeds and Qt's random generator
    SCMP_SYS(membarrier),      // threads' memory ordering (glibc, libstdc++)
    SCMP_SYS(exit),            // a thread ends
    SCMP_SYS(exit_group),      // the helper ends
};

// Flags that make an open write, create, truncate or append, or give a path descriptor
// (which Landlock does not check, and which lets a path be looked at). A temporary file is
// its own bit here: the C library's name for it includes the flag that asks for a directory.
constexpr scmp_datum_t TemporaryFile = 020000000;
constexpr scmp_datum_t RefusedOpenFlags =
    O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | TemporaryFile | O_PATH;

// Calls that look a path up without opening it: whether a file exists, its size, owner and
// times, where a link leads. Landlock does not check them, so they fail for every path.
constexpr int PathLookups[] = {
    SCMP_SYS(stat),       SCMP_SYS(lstat),    SCMP_SYS(access),     SCMP_SYS(faccessat),
    SCMP_SYS(faccessat2), SCMP_SYS(readlink), SCMP_SYS(readlinkat),
};

// Descriptor flags and a copy of a descriptor; never a signal owner, lease, notification
// or pipe size (F_SETFL is checked on its own: no O_ASYNC, which signals the owner).
constexpr int FcntlCommands[] = {F_GETFD, F_SETFD, F_GETFL, F_DUPFD_CLOEXEC};

// The futex operations of glibc's and Qt's locks, condition variables and waits, with or
// without the private and realtime-clock flags; no priority-inheritance lock.
constexpr int FutexOperations[] = {
    FUTEX_WAIT,    FUTEX_WAKE,        FUTEX_REQUEUE,     FUTEX_CMP_REQUEUE,
    FUTEX_WAKE_OP, FUTEX_WAIT_BITSET, FUTEX_WAKE_BITSET,
};
constexpr scmp_datum_t FutexFlags = FUTEX_PRIVATE_FLAG | FUTEX_CLOCK_REALTIME;

// What the allocator, glibc's thread stacks and mapped fonts advise; nothing that merges
// pages with other processes' (a timing channel) or changes what a fork inherits.
constexpr int MemoryAdvice[] = {
    MADV_NORMAL,   MADV_RANDOM, MADV_SEQUENTIAL, MADV_WILLNEED,
    MADV_DONTNEED, MADV_FREE,   MADV_HUGEPAGE,   MADV_NOHUGEPAGE,
};

// The thread flags of glibc's pthread_create, exactly: a thread, never a second process.
constexpr scmp_datum_t ThreadFlags = CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND |
                                     CLONE_THREAD | CLONE_SYSVSEM | CLONE_SETTLS |
                                     CLONE_PARENT_SETTID | CLONE_CHILD_CLEARTID;

// Socket options the socket layer reads and sets on a connection it is handed.
struct SocketOption {
    int level;
    int name;
};
constexpr SocketOption ReadOptions[] = {
    {SOL_SOCKET, SO_ERROR},      {SOL_SOCKET, SO_TYPE},      {SOL_SOCKET, SO_DOMAIN},
    {SOL_SOCKET, SO_PROTOCOL},   {SOL_SOCKET, SO_RCVBUF},    {SOL_SOCKET, SO_SNDBUF},
    {SOL_SOCKET, SO_KEEPALIVE},  {SOL_SOCKET, SO_OOBINLINE}, {IPPROTO_TCP, TCP_NODELAY},
    {IPPROTO_IPV6, IPV6_V6ONLY},
};
constexpr SocketOption SetOptions[] = {
    {SOL_SOCKET, SO_OOBINLINE},
    {SOL_SOCKET, SO_KEEPALIVE},
    {IPPROTO_TCP, TCP_NODELAY},
    {SOL_SOCKET, SO_RCVBUF},
};

bool add(const Filter& filter, uint32_t action, int call,
         std::initializer_list<scmp_arg_cmp> args) {
    return seccomp_rule_add_array(filter.get(), action, call, unsigned(args.size()),
                                  args.size() ? args.begin() : nullptr) == 0;
}

// Opening read-only; opening to write, or for the path alone, fails with "permission denied".
bool addOpen(const Filter& filter, int call, unsigned flagsArgument) {
    if (!add(filter, SCMP_ACT_ALLOW, call,
             {SCMP_CMP(flagsArgument, SCMP_CMP_MASKED_EQ, RefusedOpenFlags, 0)}))
        return false;
    for (scmp_datum_t flag :
         {scmp_datum_t(O_WRONLY), scmp_datum_t(O_RDWR), scmp_datum_t(O_CREAT),
          scmp_datum_t(O_TRUNC), scmp_datum_t(O_APPEND), TemporaryFile, scmp_datum_t(O_PATH)}) {
        if (!add(filter, SCMP_ACT_ERRNO(EACCES), call,
                 {SCMP_CMP(flagsArgument, SCMP_CMP_MASKED_EQ, flag, flag)}))
            return false;
    }
    return true;
}

// Data mappings; a mapping that would run code fails with "not permitted".
bool addMapping(const Filter& filter, int call) {
    return add(filter, SCMP_ACT_ALLOW, call,
               {SCMP_A2(SCMP_CMP_MASKED_EQ, scmp_datum_t(PROT_EXEC), 0)}) &&
           add(filter, SCMP_ACT_ERRNO(EPERM), call,
               {SCMP_A2(SCMP_CMP_MASKED_EQ, scmp_datum_t(PROT_EXEC), scmp_datum_t(PROT_EXEC))});
}

// One rule per allowed value of one argument.
template <typename Values>
bool addEach(const Filter& filter, int call, unsigned argument, const Values& values) {
    for (const auto value : values) {
        if (!add(filter, SCMP_ACT_ALLOW, call,
                 {SCMP_CMP(argument, SCMP_CMP_EQ, scmp_datum_t(value), 0)}))
            return false;
    }
    return true;
}

bool addOptions(const Filter& filter, int call, const auto& options) {
    for (const SocketOption& option : options) {
        if (!add(filter, SCMP_ACT_ALLOW, call,
                 {SCMP_A1(SCMP_CMP_EQ, scmp_datum_t(option.level), 0),
                  SCMP_A2(SCMP_CMP_EQ, scmp_datum_t(option.name), 0)}))
            return false;
    }
    return true;
}

// What the helper may ask of the calls it keeps only with their arguments checked; any
// other argument ends it, as an unlisted call does.
bool addArgumentChecks(const Filter& filter) {
    const scmp_datum_t self = scmp_datum_t(::getpid());
    for (int call : PathLookups) {
        if (!add(filter, SCMP_ACT_ERRNO(EACCES), call, {}))
            return false;
    }
    for (int operation : FutexOperations) {
        if (!add(filter, SCMP_ACT_ALLOW, SCMP_SYS(futex),
                 {SCMP_A1(SCMP_CMP_MASKED_EQ, ~FutexFlags & 0xffffffffU, scmp_datum_t(operation))}))
            return false;
    }
    return
        // Fonts and caches, read-only (Landlock, or the namespace, narrows which ones).
        addOpen(filter, SCMP_SYS(openat), 2) && addOpen(filter, SCMP_SYS(open), 1) &&
        // Its flags sit in a structure no filter can read: libraries fall back to openat.
        add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), {}) &&
        // An open descriptor's status (glibc's fstat), answered by the handler below; a
        // path's is refused. Qt falls back from statx, whose path no filter can see either.
        add(filter, SCMP_ACT_TRAP, SCMP_SYS(newfstatat), {}) &&
        add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(statx), {}) &&
        // Memory, never as new code.
        addMapping(filter, SCMP_SYS(mmap)) && addMapping(filter, SCMP_SYS(mprotect)) &&
        addEach(filter, SCMP_SYS(madvise), 2, MemoryAdvice) &&
        // Threads only, never a second process.
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), {SCMP_A0(SCMP_CMP_EQ, ThreadFlags)}) &&
        // Its flags too sit in a structure: glibc falls back to clone.
        add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), {}) &&
        addEach(filter, SCMP_SYS(fcntl), 1, FcntlCommands) &&
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl),
            {SCMP_A1(SCMP_CMP_EQ, F_SETFL), SCMP_A2(SCMP_CMP_MASKED_EQ, O_ASYNC, 0)}) &&
        // Data on the connections it was handed and to its broker, never to an address of
        // its own nor opening a connection on the way (a used one re-aimed elsewhere).
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(sendto),
            {SCMP_A3(SCMP_CMP_MASKED_EQ, MSG_FASTOPEN, 0), SCMP_A4(SCMP_CMP_EQ, 0)}) &&
        addOptions(filter, SCMP_SYS(getsockopt), ReadOptions) &&
        // Qt asks whether a socket it is handed speaks SCTP; a TCP one says it does not.
        add(filter, SCMP_ACT_ERRNO(ENOPROTOOPT), SCMP_SYS(getsockopt),
            {SCMP_A1(SCMP_CMP_EQ, IPPROTO_SCTP, 0)}) &&
        addOptions(filter, SCMP_SYS(setsockopt), SetOptions) &&
        // How much a connection has to read; any other request (a terminal's) fails.
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(ioctl), {SCMP_A1(SCMP_CMP_EQ, FIONREAD)}) &&
        add(filter, SCMP_ACT_ERRNO(ENOTTY), SCMP_SYS(ioctl), {SCMP_A1(SCMP_CMP_NE, FIONREAD)}) &&
        // Naming its threads; anything else asked of prctl fails.
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prctl), {SCMP_A0(SCMP_CMP_EQ, PR_SET_NAME)}) &&
        add(filter, SCMP_ACT_ERRNO(EINVAL), SCMP_SYS(prctl), {SCMP_A0(SCMP_CMP_NE, PR_SET_NAME)}) &&
        // How many threads to run, asked of itself.
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(sched_getaffinity), {SCMP_A0(SCMP_CMP_EQ, 0)}) &&
        // A signal to one of its own threads (abort, a thread's wake-up), to no one else.
        add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), {SCMP_A0(SCMP_CMP_EQ, self)});
}

// newfstatat, trapped: with the empty path and AT_EMPTY_PATH (how glibc's fstat asks) it
// is answered with fstat of the descriptor, which names no path; any path is refused. The
// path is read here, where no other thread can change what the kernel is then given.
void answerStatus(int, siginfo_t* info, void* context) {
    greg_t* registers = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
    const auto* path = reinterpret_cast<const char*>(registers[REG_RSI]);
    long result = -EACCES;
    if (info->si_syscall == SCMP_SYS(newfstatat) && (registers[REG_R10] & AT_EMPTY_PATH) && path &&
        path[0] == '\0') {
        const int saved = errno;
        result = syscall(SYS_fstat, registers[REG_RDI], registers[REG_RDX]);
        if (result < 0)
            result = -errno;
        errno = saved;
    }
    registers[REG_RAX] = result;
}

QString why(const char* what) {
    return QStringLiteral("seccomp: %1").arg(QLatin1String(what));
}

} // namespace

QString loadHelperFilter() {
    const Filter filter(seccomp_init(SCMP_ACT_KILL_PROCESS), &seccomp_release);
    if (!filter)
        return why("no filter");
    for (int call : HelperCalls) {
        if (!add(filter, SCMP_ACT_ALLOW, call, {}))
            return why("a system call it cannot name");
    }
    struct sigaction trap {};
    trap.sa_sigaction = answerStatus;
    trap.sa_flags = SA_SIGINFO;
    sigemptyset(&trap.sa_mask);
    if (::sigaction(SIGSYS, &trap, nullptr) != 0)
        return why("no handler for the calls it answers itself");
    if (!addArgumentChecks(filter))
        return why("a rule it cannot add");
    // Every thread, should one have been started after all.
    if (seccomp_attr_set(filter.get(), SCMP_FLTATR_CTL_TSYNC, 1) != 0)
        return why("no filter for every thread");
    if (const int loaded = seccomp_load(filter.get()); loaded != 0)
        return QStringLiteral("seccomp: %1").arg(QString::fromLocal8Bit(std::strerror(-loaded)));
    return {};
}

bool loadBrokerFilter() {
    const Filter filter(seccomp_init(SCMP_ACT_KILL_PROCESS), &seccomp_release);
    if (!filter)
        return false;
    constexpr int calls[] = {
        SCMP_SYS(recvfrom),        // the helper's request
        SCMP_SYS(poll),            // waiting for requests and connections at once
        SCMP_SYS(ppoll),           // the same, newer form
        SCMP_SYS(connect),         // the connection to the origin
        SCMP_SYS(getsockopt),      // whether a connection was made
        SCMP_SYS(sendmsg),         // the reply that carries it
        SCMP_SYS(close),           // its copy of the connection, once handed over
        SCMP_SYS(rt_sigreturn),    // returning from a signal
        SCMP_SYS(restart_syscall), // an interrupted call goes on
        SCMP_SYS(exit_group),      // the helper has gone
    };
    for (int call : calls) {
        if (!add(filter, SCMP_ACT_ALLOW, call, {}))
            return false;
    }
    // TCP over IPv4 or IPv6, nothing else.
    constexpr scmp_datum_t TypeMask = 0xf; // the type without its flags
    for (scmp_datum_t family : {scmp_datum_t(AF_INET), scmp_datum_t(AF_INET6)}) {
        if (!add(filter, SCMP_ACT_ALLOW, SCMP_SYS(socket),
                 {SCMP_A0(SCMP_CMP_EQ, family),
                  SCMP_A1(SCMP_CMP_MASKED_EQ, TypeMask, scmp_datum_t(SOCK_STREAM))}))
            return false;
    }
    return seccomp_load(filter.get()) == 0;
}

} // namespace tarvo::sandbox
