#pragma once
// Child processes of this machine, started with posix_spawn.
//
// Every child gets /dev/null as standard input, leads a session (setsid) and so a process group of its
// own, and inherits no descriptor of ours but the pipes it writes to. Without a controlling terminal, a
// program that opens /dev/tty (a password prompt) fails at once instead of waiting for a terminal. Its
// executable is an absolute path (anything else cannot be started), and the PATH of its environment,
// given or inherited, keeps only the absolute entries (SearchPath), so that nothing it starts by a bare
// name comes from a working folder.
//
// - run() collects both output pipes until the child has exited and both pipes are at end of file
//   (a descendant still holding a pipe delays it, see below). Output is decoded as UTF-8, invalid bytes
//   becoming U+FFFD; of each pipe the first ProcessResult::keptBytes are kept and the rest is counted.
//   runWithTimeLimit() stops a child that is not done by its time limit (SIGTERM to its group, SIGKILL to the
//   group 1 s later), reaps it and throws ProcessTimedOut.
// - stream() starts the child during the call; one pipe serves as standard output and standard error.
//   A reader thread splits the output into lines, delivers every line, and only then reaps the child
//   and reports `exited` (the exit status, or the signal number for a child ended by a signal).
//   Terminating the stream (consumer cancel or drop) cancels the handle: SIGTERM to the child's group,
//   and SIGKILL to the group 2 s later (see LiveProcessCancellation). A cancelled child ends within
//   that bound even when it ignores SIGTERM; its exit is reported as soon as it has exited, and it is
//   reaped once the SIGKILL has reached whatever its group still holds.
// - Descendants: after the direct child has exited, output that its descendants write to the pipes is
//   still read until end of file, but for at most 2 s. Then the exit is reported with everything read
//   so far and the pipes are closed, so that a background job left behind (`zsh -lc 'sleep 60 &'`)
//   holds up neither a job nor a probe. Such a job is left running.

#include "platform/ProcessRunning.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstddef>

namespace qlan {

// What keeping only the start of a child's UTF-8 output takes, for one line (OutputLineSplitter) as for
// a whole pipe (collected output).
struct Utf8Prefix {
    // Where `keep` bytes from `start` end, moved back to the start of a character (so it reads the byte at
    // start + keep).
    static qsizetype cutAt(const char* data, qsizetype start, qsizetype keep) {
        qsizetype cut = start + keep;
        for (int back = 0; back < 3 && (static_cast<unsigned char>(data[cut]) & 0xC0) == 0x80; ++back)
            --cut;
        return cut;
    }

    // The UTF-16 units that `size` bytes of UTF-8 decode to (an invalid byte is counted as it comes). The
    // count of a sequence does not depend on where the reads split it.
    static qint64 utf16Length(const char* data, qsizetype size) {
        qint64 units = 0;
        for (qsizetype i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            units += (byte & 0xC0) != 0x80 ? 1 : 0; // a character starts here
            units += byte >= 0xF0 ? 1 : 0;          // outside the Basic Multilingual Plane: two units
        }
        return units;
    }
};

class LiveProcessRunner : public ProcessRunning {
public:
    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<Environment>& environment = std::nullopt) override;
    ProcessResult runWithTimeLimit(const QString& executable, const QStringList& arguments,
                                   const std::optional<Environment>& environment,
                                   std::chrono::milliseconds timeLimit) override;
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<Environment>& environment = std::nullopt) override;
};

// Splits a child's output, read in arbitrary chunks, into lines. A line ends at LF, CR, CR LF, VT, FF,
// NEL (U+0085), LINE SEPARATOR (U+2028) or PARAGRAPH SEPARATOR (U+2029); the separator is dropped,
// empty lines yield nothing, and text after the last separator is a last line at finish(). Lines are
// decoded as UTF-8 with invalid bytes becoming U+FFFD. A separator or a character split across two
// chunks is recognised as if the bytes had come at once.
//
// A line is kept to its first `keptBytes` bytes (cut before a character), also while it is still being
// read: of the rest only its length in UTF-16 units is counted, and the line carries that count. A child
// that prints hundreds of megabytes without a line break so costs a few kilobytes here, and a screen can
// still say how much of the line it does not show.
class OutputLineSplitter {
public:
    // More than the longest row the screens show (3,000 UTF-16 units, see OutputLineLimit) needs in any
    // script; far more than the short lines that jobs parse (markers, codes, versions).
    static constexpr qsizetype keptBytes = 16 * 1024;

    // Calls `onLine(QString text, qint64 omitted)` for every line completed by `bytes`, where `omitted`
    // counts the UTF-16 units of the line after `text` that were not kept (0 for a line of at most
    // keptBytes).
    template <typename OnLine> void feed(const char* bytes, std::size_t size, OnLine&& onLine) {
        pending_.append(bytes, static_cast<qsizetype>(size));
        const char* data = pending_.constData();
        const qsizetype end = pending_.size();
        qsizetype lineStart = 0;
        qsizetype pos = scanned_;
        while (pos < end) {
            const int length = separatorAt(data, pos, end);
            if (length == 0) {
                ++pos;
                continue;
            }
            if (length < 0) break; // maybe a separator whose remaining bytes are still to come
            if (pos > lineStart) deliver(data, lineStart, pos, onLine);
            pos += length;
            lineStart = pos;
        }
        if (lineStart > 0) pending_.remove(0, lineStart);
        scanned_ = pos - lineStart;
        dropBeyondKept();
    }

    // Ends the input: the text after the last separator (if any) becomes the last line.
    template <typename OnLine> void finish(OnLine&& onLine) {
        if (!pending_.isEmpty()) deliver(pending_.constData(), 0, pending_.size(), onLine);
        pending_.clear();
        scanned_ = 0;
    }

private:
    // The length of the separator at `pos`, 0 when there is none, -1 when the bytes up to `end` are
    // the start of a multi-byte separator.
    static int separatorAt(const char* data, qsizetype pos, qsizetype end) {
        const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(data[i]); };
        const unsigned char first = byte(pos);
        if (first >= 0x0A && first <= 0x0D) return 1; // LF, VT, FF, CR
        if (first == 0xC2) {                          // NEL: C2 85
            if (pos + 1 >= end) return -1;
            return byte(pos + 1) == 0x85 ? 2 : 0;
        }
        if (first == 0xE2) { // U+2028 / U+2029: E2 80 A8 / E2 80 A9
            if (pos + 1 >= end) return -1;
            if (byte(pos + 1) != 0x80) return 0;
            if (pos + 2 >= end) return -1;
            return (byte(pos + 2) == 0xA8 || byte(pos + 2) == 0xA9) ? 3 : 0;
        }
        return 0;
    }

    // Hands on the line of the bytes [start, end) of pending_: what it keeps decoded, the rest counted.
    template <typename OnLine>
    void deliver(const char* data, qsizetype start, qsizetype end, OnLine& onLine) {
        qsizetype keptEnd = end;
        qint64 omitted = 0;
        if (start == 0 && kept_ >= 0) { // the open line, cut while it was read
            keptEnd = kept_;
            omitted = omitted_;
            kept_ = -1;
            omitted_ = 0;
        } else if (end - start > keptBytes) {
            keptEnd = Utf8Prefix::cutAt(data, start, keptBytes);
        }
        omitted += Utf8Prefix::utf16Length(data + keptEnd, end - keptEnd);
        onLine(QString::fromUtf8(data + start, keptEnd - start), omitted);
    }

    // The line still open at the start of pending_: what it has beyond what it keeps is counted and
    // dropped (the bytes not scanned yet, perhaps the start of a separator, stay).
    void dropBeyondKept() {
        if (kept_ < 0) {
            if (scanned_ <= keptBytes) return;
            kept_ = Utf8Prefix::cutAt(pending_.constData(), 0, keptBytes);
        }
        omitted_ += Utf8Prefix::utf16Length(pending_.constData() + kept_, scanned_ - kept_);
        pending_.remove(kept_, scanned_ - kept_);
        scanned_ = kept_;
    }

    QByteArray pending_;    // bytes of the current, unfinished line (as far as it is kept)
    qsizetype scanned_ = 0; // how much of pending_ is known to hold no separator
    qsizetype kept_ = -1;   // where the open line was cut, once it was
    qint64 omitted_ = 0;    // the UTF-16 units of the open line dropped beyond kept_
};

} // namespace qlan
