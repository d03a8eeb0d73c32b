#pragma once
// Values produced by child processes.

#include <QMap>
#include <QString>

#include <cstdint>
#include <optional>

namespace qlan {

// An environment given to a child replaces its whole environment.
using Environment = QMap<QString, QString>;

// A finished child. `stdOut` / `stdErr` hold standard output and standard error decoded as UTF-8
// (invalid bytes become U+FFFD). (The names avoid the C library's stdout/stderr macros.)
//
// Each holds at most the first `keptBytes` bytes of its pipe, cut before a character: what a child
// prints beyond them is read and counted but not kept, so that a startup file printing gigabytes costs
// no more memory than the limit. `stdOutOmitted` / `stdErrOmitted` count the UTF-16 units left out (0
// when the text is whole); a parser that needs the end of the output can tell it never saw it.
struct ProcessResult {
    // Far more than any parser reads (versions, paths, markers, listings of installed tools).
    static constexpr qsizetype keptBytes = 4 * 1024 * 1024;

    std::int32_t exitCode = 0;
    QString stdOut;
    QString stdErr;
    qint64 stdOutOmitted = 0;
    qint64 stdErrOmitted = 0;

    bool isCut() const { return stdOutOmitted > 0 || stdErrOmitted > 0; }
    friend bool operator==(const ProcessResult&, const ProcessResult&) = default;
};

// One event of a streamed child: an output line, its exit, or a failure to start.
struct ProcessStreamEvent {
    enum class Kind { line, exited, failedToStart };
    Kind kind = Kind::line;
    std::int32_t code = 0; // exit status for `exited`
    QString text;          // the line, or the failure's message
    qint64 omitted = 0;    // `line`: UTF-16 units of a very long line after `text` that were not kept

    static ProcessStreamEvent line(QString text, qint64 omitted = 0) {
        return {Kind::line, 0, std::move(text), omitted};
    }
    static ProcessStreamEvent exited(std::int32_t code) { return {Kind::exited, code, {}, 0}; }
    static ProcessStreamEvent failedToStart(QString message) {
        return {Kind::failedToStart, 0, std::move(message), 0};
    }
    friend bool operator==(const ProcessStreamEvent&, const ProcessStreamEvent&) = default;
};

// One event of a job, as it travels from the job to the screen: output lines, perhaps a sign-in page to
// open in the browser, and one terminal event (`completed` or `canceled`) at the end.
struct StreamEvent {
    enum class Kind { output, completed, canceled, openBrowser };
    Kind kind = Kind::output;
    std::int32_t exitCode = 0;   // `completed`: 0 success; -1 when the program could not be started
    QString text;                // `output`: one line without its line break; `openBrowser`: the address
    qint64 omitted = 0;          // `output`: UTF-16 units of a very long line after `text` that were not kept
    std::optional<QString> code; // `openBrowser`: the one-time code, when known

    static StreamEvent output(QString text, qint64 omitted = 0) {
        return {Kind::output, 0, std::move(text), omitted, std::nullopt};
    }
    static StreamEvent completed(std::int32_t exitCode) {
        return {Kind::completed, exitCode, {}, 0, std::nullopt};
    }
    static StreamEvent canceled() { return {Kind::canceled, 0, {}, 0, std::nullopt}; }
    static StreamEvent openBrowser(QString url, std::optional<QString> code) {
        return {Kind::openBrowser, 0, std::move(url), 0, std::move(code)};
    }
    bool isTerminal() const { return kind == Kind::completed || kind == Kind::canceled; }
    friend bool operator==(const StreamEvent&, const StreamEvent&) = default;
};

} // namespace qlan
