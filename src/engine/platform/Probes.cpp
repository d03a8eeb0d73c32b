#include "platform/Probes.h"

#include "platform/ChildTask.h"
#include "platform/JdkReleaseFileReader.h"
#include "platform/ProbeSupport.h"

#include <QRegularExpression>

namespace qlan {

ProbeBundle Probes::probeAll() const {
    auto which = startChildTask([this] { return whichJava(); });
    auto javaHome = startChildTask([this] { return javaHomeList(); });
    auto listing = startChildTask([this] { return jvmFolderListing(); });
    auto loginShell = startChildTask([this] { return loginShellJavaHome(); });

    QList<JDKInfo> installed = javaHome.get();
    const QStringList names = listing.get();
    installed.append(JdkReleaseFileReader{fs}.scan(names, installed));

    ProbeBundle bundle;
    bundle.whichJava = which.get();
    bundle.installedJDKs = std::move(installed);
    bundle.jvmDirContents = names;
    bundle.javaHomeInActiveShell = loginShell.get();
    return bundle;
}

QList<JDKInfo> Probes::parseJavaHomeList(const QString& text) {
    const QRegularExpression pattern(
        QStringLiteral(R"re(^\s+(\S+)\s+\(([^)]+)\)\s+"([^"]*)"\s+-\s+"[^"]*"\s+(/.+)$)re"));
    QList<JDKInfo> jdks;
    if (!pattern.isValid()) return jdks;
    for (const QString& line : probing::splitLines(text)) {
        const QRegularExpressionMatch match = pattern.match(line);
        if (!match.hasMatch()) continue;
        if (!match.hasCaptured(1) || !match.hasCaptured(2) || !match.hasCaptured(3) || !match.hasCaptured(4))
            continue;
        jdks.append(JDKInfo{match.captured(1), match.captured(3), match.captured(2),
                            probing::trimSpacesAndTabs(match.captured(4))});
    }
    return jdks;
}

std::optional<QString> Probes::parseLoginShellJavaHome(const QString& text) {
    const QStringList lines = probing::splitLines(text);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const qsizetype at = line->indexOf(loginShellMarker);
        if (at < 0) continue;
        const QString value = probing::trimSpacesAndTabs(line->mid(at + loginShellMarker.size()));
        if (value.isEmpty()) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

std::optional<QString> Probes::whichJava() const {
    const auto outcome =
        probing::runCommand(shell.process.get(), QStringLiteral("/usr/bin/which"), {QStringLiteral("java")});
    if (!outcome.exitedZero()) return std::nullopt;
    const QString path = outcome.result->stdOut.trimmed();
    if (path.isEmpty()) return std::nullopt;
    return path;
}

QList<JDKInfo> Probes::javaHomeList() const {
    const auto outcome = probing::runCommand(shell.process.get(), QStringLiteral("/usr/libexec/java_home"),
                                             {QStringLiteral("-V")});
    return parseJavaHomeList(outcome.result ? outcome.result->stdErr : outcome.failure);
}

QStringList Probes::jvmFolderListing() const {
    if (!fs) return {};
    try {
        return fs->contentsOfDirectory(JdkReleaseFileReader::jvmFolder);
    } catch (...) {
        return {};
    }
}

std::optional<QString> Probes::loginShellJavaHome() const {
    const auto outcome = probing::runLoginShell(
        shell.process.get(), QStringLiteral("echo ") + loginShellMarker + QStringLiteral("$JAVA_HOME"),
        loginShellTimeLimit);
    return parseLoginShellJavaHome(outcome.result ? outcome.result->stdOut : outcome.failure);
}

} // namespace qlan
