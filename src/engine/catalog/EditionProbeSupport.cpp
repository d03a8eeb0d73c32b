#include "catalog/EditionProbeSupport.h"

#include <exception>

namespace qlan::editionprobe {

std::optional<ProcessResult> runLoginShell(ProcessRunning& process, const QString& command) {
    try {
        return process.run(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command});
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool pathExists(const FileSystemOperating& fs, const QString& path) {
    try {
        return fs.fileExists(path);
    } catch (const std::exception&) {
        return false;
    }
}

QString homeDirectory(const FileSystemOperating& fs) {
    try {
        return fs.homeDirectory();
    } catch (const std::exception&) {
        return {};
    }
}

QString trimmedOutput(const QString& output) {
    return output.trimmed();
}

QStringList outputLines(const QString& output) {
    QStringList lines;
    qsizetype start = 0;
    const auto takeLine = [&](qsizetype end) {
        qsizetype first = start;
        qsizetype last = end;
        while (first < last && (output[first] == QLatin1Char(' ') || output[first] == QLatin1Char('\t')))
            ++first;
        while (last > first &&
               (output[last - 1] == QLatin1Char(' ') || output[last - 1] == QLatin1Char('\t')))
            --last;
        if (last > first) lines.append(output.sliced(first, last - first));
    };
    for (qsizetype i = 0; i < output.size(); ++i) {
        switch (output[i].unicode()) {
        case 0x000A:
        case 0x000B:
        case 0x000C:
        case 0x000D:
        case 0x0085:
        case 0x2028:
        case 0x2029:
            takeLine(i);
            start = i + 1;
            break;
        default:
            break;
        }
    }
    takeLine(output.size());
    return lines;
}

} // namespace qlan::editionprobe
