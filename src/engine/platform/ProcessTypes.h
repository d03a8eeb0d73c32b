#pragma once
// Values produced by child processes.

#include <QMap>
#include <QString>

#include <cstdint>

namespace qlan {

// An environment given to a child replaces its whole environment.
using Environment = QMap<QString, QString>;

// A finished child. `stdOut` / `stdErr` hold standard output and standard error decoded as UTF-8
// (invalid bytes become U+FFFD). (The names avoid the C library's stdout/stderr macros.)
struct ProcessResult {
    std::int32_t exitCode = 0;
    QString stdOut;
    QString stdErr;
    friend bool operator==(const ProcessResult&, const ProcessResult&) = default;
};

// One event of a streamed child: an output line, its exit, or a failure to start.
struct ProcessStreamEvent {
    enum class Kind { line, exited, failedToStart };
    Kind kind = Kind::line;
    QString text;           // the line, or the failure's message
    std::int32_t code = 0;  // exit status for `exited`

    static ProcessStreamEvent line(QString text) { return {Kind::line, std::move(text), 0}; }
    static ProcessStreamEvent exited(std::int32_t code) { return {Kind::exited, {}, code}; }
    static ProcessStreamEvent failedToStart(QString message) { return {Kind::failedToStart, std::move(message), 0}; }
    friend bool operator==(const ProcessStreamEvent&, const ProcessStreamEvent&) = default;
};

// One event of a streamed shell job.
struct StreamEvent {
    enum class Kind { output, completed, canceled };
    Kind kind = Kind::output;
    QString text;              // for `output`
    std::int32_t exitCode = 0; // for `completed`; -1 when the program could not be started

    static StreamEvent output(QString text) { return {Kind::output, std::move(text), 0}; }
    static StreamEvent completed(std::int32_t exitCode) { return {Kind::completed, {}, exitCode}; }
    static StreamEvent canceled() { return {Kind::canceled, {}, 0}; }
    friend bool operator==(const StreamEvent&, const StreamEvent&) = default;
};

} // namespace qlan
