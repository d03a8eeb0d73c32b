// Throughput of streamed child output and memory use of collected output.
//
// 1. Collect mode, each case in a fresh run of this program: a child that prints one short line, and one
//    that prints 2 GiB on standard error. Prints each run's peak resident memory (VmHWM), what the
//    result kept and counted, and the difference of the peaks. Target: at most 64 MiB, as collected
//    output keeps at most ProcessResult::keptBytes of each pipe.
// 2. Stream mode: a child writes 1,000,000 lines; prints lines per second through
//    LiveProcessRunner.stream + ShellRunner consumed with next(), the same child's output read raw
//    from a pipe here, and their ratio. Target: at least 0.5. The same figures for a child that
//    writes its lines at almost no cost show the ceiling of the streaming path itself.

#include "platform/LiveProcessRunner.h"
#include "platform/ShellRunner.h"

#include "ResidentMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

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
constexpr int rounds = 5;

const QString shell = QStringLiteral("/bin/sh");
// One million lines of 30 to 40 bytes, formatted one by one like a tool's log.
const QString lineScript =
    QStringLiteral("exec /usr/bin/seq -f 'output line %.0f of the benchmark' 1 %1").arg(lineCount);
// The same number of short lines from a child that costs next to nothing: shows the ceiling of the
// streaming path itself.
const QString fastScript = QStringLiteral("exec /usr/bin/seq 1 %1").arg(lineCount);

const char* const collectCaseOption = "--collect-case";
constexpr long long floodBytes = 2LL * 1024 * 1024 * 1024;

// The child of each collect case.
QString collectScript(const QString& name) {
    if (name == QLatin1String("flood"))
        return QStringLiteral("head -c %1 /dev/zero | tr '\\0' e >&2; echo out; exit 7").arg(floodBytes);
    return QStringLiteral("echo out; echo err >&2; exit 7");
}

// One collect case, in a fresh run of this program: prints "<VmHWM KiB> <seconds> <exit code> <stdErr
// size> <stdErr omitted>".
int runCollectCase(const QString& name) {
    QElapsedTimer timer;
    timer.start();
    LiveProcessRunner runner;
    const ProcessResult result = runner.run(shell, {QStringLiteral("-c"), collectScript(name)});
    const double seconds = timer.elapsed() / 1000.0;
    std::printf("%lld %.2f %d %lld %lld\n", bench::peakResidentKiB(), seconds, result.exitCode,
                static_cast<long long>(result.stdErr.size()), static_cast<long long>(result.stdErrOmitted));
    return 0;
}

// Runs one collect case in a fresh process; its printed figures, or none.
QList<QByteArray> collectCase(const QString& program, const char* name) {
    QProcess child;
    child.start(program, {QString::fromLatin1(collectCaseOption), QString::fromLatin1(name)});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) return {};
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    return figures.size() == 5 ? figures : QList<QByteArray>{};
}

void collectMode(const QString& program) {
    const QList<QByteArray> quiet = collectCase(program, "quiet");
    const QList<QByteArray> flood = collectCase(program, "flood");
    if (quiet.isEmpty() || flood.isEmpty() || quiet[0].toLongLong() < 0 || flood[0].toLongLong() < 0) {
        std::printf("collect: peak memory not measurable here\n");
        return;
    }
    const double quietMiB = quiet[0].toLongLong() / 1024.0;
    const double floodMiB = flood[0].toLongLong() / 1024.0;
    std::printf("collect: one line each             peak %7.1f MiB\n", quietMiB);
    std::printf("collect: 2 GiB on standard error   peak %7.1f MiB in %s s, exit %s, kept %s, counted %s "
                "more\n",
                floodMiB, flood[1].constData(), flood[2].constData(), flood[3].constData(),
                flood[4].constData());
    std::printf("collect: 2 GiB costs %.1f MiB more (target <= 64)\n", floodMiB - quietMiB);
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
    if (argc == 3 && std::strcmp(argv[1], collectCaseOption) == 0)
        return runCollectCase(QString::fromLocal8Bit(argv[2]));
    collectMode(QCoreApplication::applicationFilePath());
    std::printf("stream target: ratio >= 0.5 for the formatted child\n");
    streamMode("stream (formatted child, seq -f)", lineScript);
    streamMode("stream (cheapest child, seq)", fastScript);
    return 0;
}
