#include "platform/ProbeSupport.h"

#include "platform/PlatformError.h"
#include "platform/ShellQuoting.h"

#include <QRegularExpression>

#include <exception>

namespace qlan::probing {

CommandOutcome runCommand(ProcessRunning* process, const QString& executable, const QStringList& arguments) {
    if (!process) return {std::nullopt, QStringLiteral("No process runner")};
    try {
        return {process->run(executable, arguments, std::nullopt), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, errorDescription(error)};
    } catch (...) {
        return {std::nullopt, QStringLiteral("Unknown error")};
    }
}

CommandOutcome runCommand(ProcessRunning* process, const QString& executable, const QStringList& arguments,
                          std::chrono::milliseconds timeLimit) {
    if (!process) return {std::nullopt, QStringLiteral("No process runner")};
    try {
        return {process->runWithTimeLimit(executable, arguments, std::nullopt, timeLimit), {}};
    } catch (const std::exception& error) {
        return {std::nullopt, errorDescription(error)};
    } catch (...) {
        return {std::nullopt, QStringLiteral("Unknown error")};
    }
}

CommandOutcome runLoginShell(ProcessRunning* process, const QString& command,
                             std::chrono::milliseconds timeLimit) {
    return runCommand(process, QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command}, timeLimit);
}

QString programLookupCommand(const QString& name) {
    // Read by probes on their own threads, also while the process ends: never destroyed.
    static const auto* const plainWord =
        new QRegularExpression(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_.+-]*$"));
    return QStringLiteral("command -v ") + (plainWord->match(name).hasMatch() ? name : shellQuoted(name));
}

bool programIsFound(ProcessRunning* process, const QString& name) {
    const CommandOutcome outcome = runLoginShell(process, programLookupCommand(name));
    return outcome.exitedZero() && !outcome.result->stdOut.trimmed().isEmpty();
}

QStringList absolutePathLines(const QString& output) {
    QStringList lines = trimmedLines(output);
    lines.removeIf([](const QString& line) { return !line.startsWith(u'/'); });
    return lines;
}

bool exists(const FileSystemOperating* fs, const QString& path, bool* isDirectory) {
    bool folder = false;
    bool found = false;
    if (fs) {
        try {
            found = fs->fileExists(path, &folder);
        } catch (...) {
            found = false;
        }
    }
    if (isDirectory) *isDirectory = found && folder;
    return found;
}

bool isFolder(const FileSystemOperating* fs, const QString& path) {
    bool folder = false;
    return exists(fs, path, &folder) && folder;
}

bool isNonFolder(const FileSystemOperating* fs, const QString& path) {
    bool folder = false;
    return exists(fs, path, &folder) && !folder;
}

bool itemExists(const FileSystemOperating* fs, const QString& path) {
    if (!fs || path.isEmpty()) return false;
    try {
        fs->attributesOfItem(path); // the item itself, never what a link names
        return true;
    } catch (...) {
        return false;
    }
}

bool isExecutableFile(const FileSystemOperating* fs, const QString& path) {
    if (!fs || path.isEmpty()) return false;
    try {
        return fs->isExecutableFile(path);
    } catch (...) {
        return false;
    }
}

std::optional<QString> readText(const FileSystemOperating* fs, const QString& path) {
    if (!exists(fs, path, nullptr)) return std::nullopt;
    try {
        QString text = fs->readString(path);
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1); // a byte-order mark is not text to a reader
        return text;
    } catch (...) {
        return std::nullopt;
    }
}

QString homeDirectory(const FileSystemOperating* fs) {
    if (!fs) return {};
    try {
        return fs->homeDirectory();
    } catch (...) {
        return {};
    }
}

QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString homeRelativePath(const FileSystemOperating* fs, const QString& path) {
    QString home = homeDirectory(fs);
    while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
        home.chop(1);
    if (home.isEmpty() || home == QLatin1String("/")) return path;
    if (path == home) return QStringLiteral("~");
    if (path.startsWith(home + QLatin1Char('/'))) return QLatin1Char('~') + path.mid(home.size());
    return path;
}

QString appendingPath(const QString& folder, const QString& relative) {
    if (folder.endsWith(u'/')) return folder + relative;
    return folder + u'/' + relative;
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        const bool isBreak = c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\u0085' ||
                             c == u'\u2028' || c == u'\u2029';
        if (!isBreak) continue;
        if (i > start) lines.append(text.mid(start, i - start));
        start = i + 1; // a CR LF pair leaves an empty piece between its two halves, which is dropped
    }
    if (size > start) lines.append(text.mid(start));
    return lines;
}

QString trimSpacesAndTabs(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text.at(begin) == u' ' || text.at(begin) == u'\t'))
        ++begin;
    while (end > begin && (text.at(end - 1) == u' ' || text.at(end - 1) == u'\t'))
        --end;
    return text.mid(begin, end - begin);
}

QStringList trimmedLines(const QString& text) {
    QStringList lines;
    // A byte-order mark before the first line is no part of it.
    for (const QString& line : splitLines(text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text)) {
        const QString trimmed = trimSpacesAndTabs(line);
        if (!trimmed.isEmpty()) lines.append(trimmed);
    }
    return lines;
}

} // namespace qlan::probing
