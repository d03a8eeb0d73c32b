#include "platform/LiveProcessRunner.h"

#include "platform/LiveProcessCancellation.h"
#include "platform/PlatformError.h"
#include "platform/SearchPath.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#ifdef __APPLE__
#include <crt_externs.h>
#else
extern char** environ;
#endif

namespace qlan {
namespace {

constexpr std::size_t readChunk = 64 * 1024;

QString errorText(int error) {
    return QString::fromLocal8Bit(std::system_category().message(error));
}

// An owned file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd)
        : fd_(fd) {}
    Fd(Fd&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// Moves a descriptor above the standard ones, so that setting up the child's 0, 1 and 2 can never
// clobber it.
Fd aboveStandard(Fd fd) {
    if (fd.get() > STDERR_FILENO) return fd;
    const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (moved < 0) throw PlatformError(errorText(errno), errno);
    return Fd(moved);
}

struct Pipe {
    Fd readEnd;
    Fd writeEnd;
};

// A pipe whose ends are closed on exec (the child gets the write end only through dup2).
Pipe makePipe(bool nonBlockingRead) {
    int fds[2];
#ifdef __linux__
    if (::pipe2(fds, O_CLOEXEC) != 0) throw PlatformError(errorText(errno), errno);
#else
    // No pipe2 here; POSIX_SPAWN_CLOEXEC_DEFAULT keeps the window from leaking into our own children.
    if (::pipe(fds) != 0) throw PlatformError(errorText(errno), errno);
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#endif
    Pipe pipe{aboveStandard(Fd(fds[0])), aboveStandard(Fd(fds[1]))};
    if (nonBlockingRead)
        ::fcntl(pipe.readEnd.get(), F_SETFL, ::fcntl(pipe.readEnd.get(), F_GETFL) | O_NONBLOCK);
    return pipe;
}

char** currentEnvironment() {
#ifdef __APPLE__
    return *_NSGetEnviron();
#else
    return environ;
#endif
}

// Owns the posix_spawn attribute and file-action objects.
class SpawnSetup {
public:
    SpawnSetup(int outFd, int errFd) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawnattr_init(&attr_);
        // Standard input is /dev/null: a prompt fails at once instead of waiting for a terminal.
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, outFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, errFd, STDERR_FILENO);
        // The child starts in the root folder, as an application opened from the Finder does, whatever
        // folder this program was started in: a "." or relative PATH entry that a user's startup file
        // adds never finds a program there, and nothing is read or written relative to it.
#if defined(__APPLE__) || (defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29)))
        posix_spawn_file_actions_addchdir_np(&actions_, "/");
#endif
        // Descriptors that we inherited without close-on-exec (from whoever started us) do not reach the
        // child either: a descendant holding one could keep someone else's pipe open.
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
#endif

        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
        // A session of its own, led by the child (so also a process group of its own): it has no
        // controlling terminal, and a program that opens /dev/tty fails at once instead of being stopped
        // by SIGTTIN when the application was started from a terminal. (A session leader cannot be put
        // into another group, so no SETPGROUP with it.)
        flags |= POSIX_SPAWN_SETSID;
#else
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attr_, 0); // a new group led by the child
#endif
#ifdef POSIX_SPAWN_CLOEXEC_DEFAULT
        flags |= POSIX_SPAWN_CLOEXEC_DEFAULT; // the same where closefrom is missing
#endif
        posix_spawnattr_setflags(&attr_, flags);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attr_, &none);
        // Signals ignored here (SIGPIPE, ...) would stay ignored in the child: restore the defaults.
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        posix_spawnattr_setsigdefault(&attr_, &all);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attr_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawn_file_actions_t* actions() const {
        return &actions_;
    }
    const posix_spawnattr_t* attributes() const {
        return &attr_;
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attr_;
};

// The environment a child starts with: the given one or ours, its PATH kept to the absolute entries
// (SearchPath), as "NAME=value" entries.
std::vector<QByteArray> childEnvironment(const std::optional<Environment>& environment) {
    std::vector<QByteArray> entries;
    if (environment) {
        const Environment given = SearchPath::withAbsoluteOnly(*environment);
        entries.reserve(static_cast<std::size_t>(given.size()));
        for (auto it = given.cbegin(); it != given.cend(); ++it)
            entries.push_back(it.key().toUtf8() + '=' + it.value().toUtf8());
        return entries;
    }
    for (char** entry = currentEnvironment(); *entry != nullptr; ++entry) {
        QByteArray item(*entry);
        if (item.startsWith("PATH="))
            item = "PATH=" + QFile::encodeName(SearchPath::absoluteOnly(QFile::decodeName(item.mid(5))));
        entries.push_back(std::move(item));
    }
    return entries;
}

// Starts the executable with its standard output and standard error on the given descriptors. Returns
// the child's pid, or the error number when it cannot be started (a missing or non-executable file is
// reported by posix_spawn itself). Only an absolute path is started: neither PATH nor the working
// folder is searched for a bare or relative name.
std::pair<pid_t, int> spawnChild(const QString& executable, const QStringList& arguments,
                                 const std::optional<Environment>& environment, int outFd, int errFd) {
    if (!executable.startsWith(QLatin1Char('/'))) return {0, ENOENT};
    const QByteArray path = QFile::encodeName(executable);
    std::vector<QByteArray> argStorage;
    argStorage.reserve(static_cast<std::size_t>(arguments.size()) + 1);
    argStorage.push_back(path);
    for (const QString& argument : arguments)
        argStorage.push_back(argument.toUtf8());
    std::vector<char*> argv;
    argv.reserve(argStorage.size() + 1);
    for (QByteArray& argument : argStorage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<QByteArray> envStorage = childEnvironment(environment);
    std::vector<char*> envp;
    envp.reserve(envStorage.size() + 1);
    for (QByteArray& entry : envStorage)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    SpawnSetup setup(outFd, errFd);
    pid_t pid = 0;
    const int error =
        ::posix_spawn(&pid, path.constData(), setup.actions(), setup.attributes(), argv.data(), envp.data());
    if (error != 0) return {0, error};
    return {pid, 0};
}

// Reads what is available; returns the byte count, 0 at end of file, -1 when nothing is there yet
// (or on an interrupted call), -2 on a read error.
ssize_t readSome(int fd, char* buffer, std::size_t size) {
    const ssize_t count = ::read(fd, buffer, size);
    if (count >= 0) return count;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return -1;
    return -2;
}

// One collected pipe: its first ProcessResult::keptBytes bytes, and the UTF-16 units of the rest, which
// is counted as it comes and dropped.
class KeptOutput {
public:
    void append(const char* bytes, std::size_t size) {
        // One byte more than is kept: it tells whether the cut falls inside a character.
        const qsizetype room = std::max<qsizetype>(0, ProcessResult::keptBytes + 1 - kept_.size());
        const qsizetype taken = std::min(room, static_cast<qsizetype>(size));
        kept_.append(bytes, taken);
        omitted_ += Utf8Prefix::utf16Length(bytes + taken, static_cast<qsizetype>(size) - taken);
    }

    // The kept text, decoded (invalid bytes become U+FFFD), and the UTF-16 units left out.
    std::pair<QString, qint64> finish() {
        if (kept_.size() > ProcessResult::keptBytes) {
            const qsizetype cut = Utf8Prefix::cutAt(kept_.constData(), 0, ProcessResult::keptBytes);
            omitted_ += Utf8Prefix::utf16Length(kept_.constData() + cut, kept_.size() - cut);
            kept_.truncate(cut);
        }
        QString text = QString::fromUtf8(kept_);
        kept_ = QByteArray();
        return {std::move(text), omitted_};
    }

private:
    QByteArray kept_;
    qint64 omitted_ = 0;
};

} // namespace

namespace {

using Clock = std::chrono::steady_clock;

// How often a reader looks whether the direct child has exited while its pipes are still open.
constexpr std::chrono::milliseconds exitCheckInterval{50};
// How long a reader still waits for end of file once the direct child has exited.
constexpr std::chrono::milliseconds endOfFileWindow{2000};
// How long a child stopped at its time limit has to end after SIGTERM before its group gets SIGKILL.
constexpr std::chrono::milliseconds timeLimitGrace{1000};

// Why a reader stopped reading.
enum class ReadEnd {
    endOfFile, // every pipe reached end of file (or failed)
    abandoned, // the direct child exited and the pipes stayed open for endOfFileWindow
    woken,     // the wake-up descriptor became readable
    timeLimit, // the deadline passed
};

// The deadline of a read without a time limit.
constexpr Clock::time_point noDeadline = Clock::time_point::max();

int pollTimeout(Clock::duration wait) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(ms, 0, 60'000));
}

// Reads the given pipes together, so that a child filling one while we wait on the other never blocks,
// and hands every chunk to onBytes(index, data, size). A pipe leaves the set at end of file or on a read
// error. Reading also stops when `wakeFd` (if >= 0) becomes readable, at `deadline`, and when the
// direct child has exited and the pipes are still open endOfFileWindow later: descendants that hold
// them (a background job of a login shell) no longer hold up the caller. A cancelled child's group
// gets its SIGKILL on time meanwhile.
template <typename OnBytes>
ReadEnd readPipes(Fd* const* ends, int count, int wakeFd, LiveProcessCancellation& child,
                  Clock::time_point deadline, OnBytes&& onBytes) {
    constexpr int maxPipes = 2;
    Q_ASSERT(count <= maxPipes);
    std::vector<char> buffer(readChunk);
    std::optional<Clock::time_point> windowEnd;
    for (;;) {
        pollfd fds[maxPipes + 1];
        int which[maxPipes];
        nfds_t used = 0;
        for (int i = 0; i < count; ++i) {
            if (!*ends[i]) continue;
            fds[used] = {ends[i]->get(), POLLIN, 0};
            which[used++] = i;
        }
        if (used == 0) return ReadEnd::endOfFile;
        const nfds_t wakeIndex = used;
        if (wakeFd >= 0) fds[used++] = {wakeFd, POLLIN, 0};

        const Clock::time_point now = Clock::now();
        if (now >= deadline) return ReadEnd::timeLimit;
        if (!windowEnd && child.hasExited()) windowEnd = now + endOfFileWindow;
        if (windowEnd && now >= *windowEnd) return ReadEnd::abandoned;
        Clock::duration wait = windowEnd ? *windowEnd - now : Clock::duration(exitCheckInterval);
        wait = std::min(wait, deadline - now);
        if (const auto killAt = child.enforceGrace()) wait = std::min(wait, *killAt - now);

        const int ready = ::poll(fds, used, pollTimeout(wait));
        if (ready == -1 && errno == EINTR) continue;
        if (ready < 0) return ReadEnd::endOfFile; // cannot wait on the pipes: keep what we have
        if (ready == 0) continue;
        if (wakeFd >= 0 && fds[wakeIndex].revents != 0) return ReadEnd::woken;
        for (nfds_t k = 0; k < wakeIndex; ++k) {
            if (fds[k].revents == 0) continue;
            const int i = which[k];
            const ssize_t got = readSome(ends[i]->get(), buffer.data(), buffer.size());
            if (got > 0)
                onBytes(i, buffer.data(), static_cast<std::size_t>(got));
            else if (got == 0 || got == -2)
                ends[i]->reset(); // end of file, or a read error: keep what we have
        }
    }
}

// Waits until the child has exited (without reaping it); false when the deadline passes first.
bool waitForExitUntil(const LiveProcessCancellation& child, Clock::time_point deadline) {
    for (;;) {
        if (child.hasExited()) return true;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(exitCheckInterval, deadline - now));
    }
}

// Ends a child that ran out of time and reaps it: SIGTERM to its group, SIGKILL to the group after the
// child's grace.
void stopAndReap(LiveProcessCancellation& child) {
    child.cancel();
    child.waitForExit();
}

QString timeLimitText(std::chrono::milliseconds limit) {
    if (limit.count() % 1000 == 0)
        return QStringLiteral("The program did not finish within %1 s.").arg(limit.count() / 1000);
    return QStringLiteral("The program did not finish within %1 ms.").arg(limit.count());
}

// run() and runWithTimeLimit(): collects both pipes, then reaps the child.
ProcessResult collectChild(const QString& executable, const QStringList& arguments,
                           const std::optional<Environment>& environment,
                           std::optional<std::chrono::milliseconds> timeLimit) {
    const Clock::time_point deadline = timeLimit ? Clock::now() + *timeLimit : noDeadline;
    Pipe out = makePipe(true);
    Pipe err = makePipe(true);
    const auto [pid, error] =
        spawnChild(executable, arguments, environment, out.writeEnd.get(), err.writeEnd.get());
    if (error != 0) throw PlatformError(errorText(error), error);
    out.writeEnd.reset();
    err.writeEnd.reset();
    LiveProcessCancellation child(timeLimitGrace);
    child.attach(pid);

    KeptOutput outText;
    KeptOutput errText;
    ReadEnd end = ReadEnd::endOfFile;
    try {
        Fd* ends[2] = {&out.readEnd, &err.readEnd};
        KeptOutput* collectors[2] = {&outText, &errText};
        end = readPipes(ends, 2, -1, child, deadline, [&](int i, const char* bytes, std::size_t size) {
            collectors[i]->append(bytes, size);
        });
    } catch (...) {
        // Out of memory: stop reading and the child, and leave no zombie.
        out.readEnd.reset();
        err.readEnd.reset();
        stopAndReap(child);
        throw;
    }
    out.readEnd.reset();
    err.readEnd.reset();
    // A child that closed its pipes may still run: the time limit holds for its exit too.
    if (end == ReadEnd::endOfFile && timeLimit && !waitForExitUntil(child, deadline))
        end = ReadEnd::timeLimit;
    if (end == ReadEnd::timeLimit) {
        stopAndReap(child);
        throw ProcessTimedOut(timeLimitText(*timeLimit), ETIMEDOUT);
    }
    ProcessResult result;
    result.exitCode = child.waitForExit();
    std::tie(result.stdOut, result.stdOutOmitted) = outText.finish();
    std::tie(result.stdErr, result.stdErrOmitted) = errText.finish();
    return result;
}

} // namespace

ProcessResult LiveProcessRunner::run(const QString& executable, const QStringList& arguments,
                                     const std::optional<Environment>& environment) {
    return collectChild(executable, arguments, environment, std::nullopt);
}

ProcessResult LiveProcessRunner::runWithTimeLimit(const QString& executable, const QStringList& arguments,
                                                  const std::optional<Environment>& environment,
                                                  std::chrono::milliseconds timeLimit) {
    return collectChild(executable, arguments, environment, timeLimit);
}

namespace {

// Wakes the reader of a streamed child when its consumer has gone away. Both ends stay open for as
// long as anyone holds the object, so a late wake never writes into a closed pipe.
class Wakeup {
public:
    Wakeup()
        : pipe_(makePipe(true)) {
        ::fcntl(pipe_.writeEnd.get(), F_SETFL, ::fcntl(pipe_.writeEnd.get(), F_GETFL) | O_NONBLOCK);
    }
    void signal() const {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(pipe_.writeEnd.get(), &byte, 1);
    }
    int fd() const { return pipe_.readEnd.get(); }

private:
    Pipe pipe_;
};

// The reader thread of one streamed child: delivers its lines, then reaps it and reports the exit.
void readStreamedChild(Fd output, std::shared_ptr<Wakeup> wakeup,
                       std::shared_ptr<LiveProcessCancellation> handle,
                       StreamContinuation<ProcessStreamEvent> events) {
    OutputLineSplitter splitter;
    // The lines of one read are decoded first and then handed over in one burst, so that the consumer,
    // once woken, finds many of them waiting instead of being woken for each.
    std::vector<ProcessStreamEvent> lines;
    const auto onLine = [&](QString line, qint64 omitted) {
        lines.push_back(ProcessStreamEvent::line(std::move(line), omitted));
    };
    Fd* ends[1] = {&output};
    const ReadEnd end =
        readPipes(ends, 1, wakeup->fd(), *handle, noDeadline, [&](int, const char* bytes, std::size_t size) {
            splitter.feed(bytes, size, onLine);
            events.yieldAll(lines);
        });
    // The consumer went away: nobody reads the rest. Otherwise the text after the last separator is a
    // last line, also when a descendant still holds the pipe.
    if (end != ReadEnd::woken) {
        splitter.finish(onLine);
        events.yieldAll(lines);
    }
    output.reset();
    const std::int32_t code = handle->awaitExit();
    events.yield(ProcessStreamEvent::exited(code));
    events.finish();
    // A cancelled child's group gets SIGKILL at the end of its grace, then the child is reaped.
    handle->settle();
}

} // namespace

std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
LiveProcessRunner::stream(const QString& executable, const QStringList& arguments,
                          const std::optional<Environment>& environment) {
    auto handle = std::make_shared<LiveProcessCancellation>();
    auto made = Stream<ProcessStreamEvent>::make(); // not a structured binding: the lambdas capture it
    auto& events = made.first;
    auto& producer = made.second;
    const auto failed = [&](int error) {
        producer.yield(ProcessStreamEvent::failedToStart(errorText(error)));
        producer.finish();
        return std::pair{std::move(events), std::shared_ptr<ProcessCancellation>(handle)};
    };

    std::shared_ptr<Wakeup> wakeup;
    Pipe output;
    try {
        wakeup = std::make_shared<Wakeup>();
        output = makePipe(true);
    } catch (const PlatformError& error) {
        return failed(error.code());
    }

    // One pipe for both standard output and standard error, so that they interleave as written.
    const auto [pid, error] =
        spawnChild(executable, arguments, environment, output.writeEnd.get(), output.writeEnd.get());
    if (error != 0) return failed(error);
    output.writeEnd.reset();
    handle->attach(pid);

    // When the stream ends or its consumer stops listening: terminate the child (nothing happens once
    // it has been reaped) and stop the reader waiting for output nobody wants.
    producer.onTermination([handle, wakeup](StreamTermination) {
        handle->cancel();
        wakeup->signal();
    });

    try {
        std::thread(readStreamedChild, std::move(output.readEnd), wakeup, handle, producer).detach();
    } catch (const std::system_error&) {
        // No thread for the reader: end the child here rather than leave it unreaped. SIGKILL, so that
        // the caller (maybe the GUI thread) does not wait on a child that ignores SIGTERM.
        handle->cancel();
        handle->kill();
        handle->waitForExit();
        producer.yield(ProcessStreamEvent::failedToStart(errorText(EAGAIN)));
        producer.finish();
    }
    return {std::move(events), handle};
}

} // namespace qlan
