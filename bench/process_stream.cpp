// Throughput of streamed child output and memory use of collected output.
//
// 1. Collect mode: a child writes 64 MB on each of its pipes; prints the peak resident memory the
//    collection took (VmHWM over the baseline) divided by the payload. Target: at most 2.5.
// 2. Stream mode: a child writes 1,000,000 lines; prints lines per second through
//    LiveProcessRunner.stream + ShellRunner consumed with next(), the same child's output read raw
//    from a pipe here, and their ratio. Target: at least 0.5. The same figures for a child that
//    writes its lines at almost no cost show the ceiling of the streaming path itself.

#include "platform/LiveProcessRunner.h"
#include "platform/ShellRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

extern char** environ;

using namespace qlan;

namespace {

constexpr long long lineCount = 1000000;
constexpr long long pipePayload = 64LL * 1024 * 1024;
constexpr int rounds = 5;

const QString shell = QStringLiteral("/bin/sh");
// One million lines of 30 to 40 bytes, formatted one by one like a tool's log.
const QString lineScript =
    QStringLiteral("exec /usr/bin/seq -f 'output line %.0f of the benchmark' 1 %1").arg(lineCount);
// The same number of short lines from a child that costs next to nothing: shows the ceiling of the
// streaming path itself.
const QString fastScript = QStringLiteral("exec /usr/bin/seq 1 %1").arg(lineCount);

long long statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Resets VmHWM to the current resident size (Linux 4.0 and later); false when not possible.
bool resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

void collectMode() {
    const bool reset = resetPeak();
    const long long baseline = reset ? statusKiB("VmRSS") : statusKiB("VmHWM");
    const QString script =
        QStringLiteral("head -c %1 /dev/zero | tr '\\0' a & head -c %1 /dev/zero | tr '\\0' b >&2; wait")
            .arg(pipePayload);
    QElapsedTimer timer;
    timer.start();
    LiveProcessRunner runner;
    const ProcessResult result = runner.run(shell, {QStringLiteral("-c"), script});
    const double seconds = timer.elapsed() / 1000.0;
    const long long peak = statusKiB("VmHWM");
    const bool complete = result.exitCode == 0 && result.stdOut.size() == pipePayload &&
                          result.stdErr.size() == pipePayload &&
                          result.stdOut.count(QLatin1Char('a')) == pipePayload &&
                          result.stdErr.count(QLatin1Char('b')) == pipePayload;
    std::printf("collect: 2 x %lld MiB in %.2f s, %s\n", pipePayload / (1024 * 1024), seconds,
                complete ? "byte-exact" : "INCOMPLETE");
    if (baseline < 0 || peak < 0) {
        std::printf("collect: peak memory not measurable here (no /proc/self/status)\n");
        return;
    }
    const double payloadMiB = 2.0 * pipePayload / (1024.0 * 1024.0);
    const double peakMiB = (peak - baseline) / 1024.0;
    std::printf("collect: peak memory %.1f MiB over a %.0f MiB payload = %.2f (target <= 2.5)%s\n", peakMiB,
                payloadMiB, peakMiB / payloadMiB, reset ? "" : " [peak not resettable: measured from start]");
}

// The same child read straight from a pipe: bytes in, line ends counted.
double rawLinesPerSecond(const QString& script, long long& lines) {
    int fds[2];
    if (::pipe(fds) != 0) return 0;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    const QByteArray command = script.toUtf8();
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                    const_cast<char*>(command.constData()), nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        return 0;
    }
    std::vector<char> buffer(64 * 1024);
    lines = 0;
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer.data(), buffer.size());
        if (got <= 0) break;
        lines += std::count(buffer.data(), buffer.data() + got, '\n');
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return lines / (timer.nsecsElapsed() / 1e9);
}

double streamedLinesPerSecond(const QString& script, long long& lines) {
    ShellRunner runner(std::make_shared<LiveProcessRunner>());
    QElapsedTimer timer;
    timer.start();
    Stream<StreamEvent> stream = runner.stream(shell, {QStringLiteral("-c"), script});
    lines = 0;
    while (auto event = stream.next()) {
        if (event->kind == StreamEvent::Kind::output) ++lines;
    }
    return lines / (timer.nsecsElapsed() / 1e9);
}

void streamMode(const char* label, const QString& script) {
    std::vector<double> raw;
    std::vector<double> streamed;
    long long rawLines = 0;
    long long streamedLines = 0;
    for (int round = 0; round < rounds; ++round) {
        raw.push_back(rawLinesPerSecond(script, rawLines));
        streamed.push_back(streamedLinesPerSecond(script, streamedLines));
    }
    std::sort(raw.begin(), raw.end());
    std::sort(streamed.begin(), streamed.end());
    const double rawMedian = raw[raw.size() / 2];
    const double streamedMedian = streamed[streamed.size() / 2];
    std::printf("%s: raw pipe             %10.0f lines/s (%lld lines, median of %d)\n", label, rawMedian,
                rawLines, rounds);
    std::printf("%s: stream + ShellRunner %10.0f lines/s (%lld lines, median of %d)\n", label, streamedMedian,
                streamedLines, rounds);
    std::printf("%s: ratio %.2f\n", label, streamedMedian / rawMedian);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    collectMode(); // first, so that nothing before it has raised the peak
    std::printf("stream target: ratio >= 0.5 for the formatted child\n");
    streamMode("stream (formatted child, seq -f)", lineScript);
    streamMode("stream (cheapest child, seq)", fastScript);
    return 0;
}
