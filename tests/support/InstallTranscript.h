#pragma once
// A long installation transcript made of one repeated round: ordinary output, system log lines,
// Homebrew's old-version warning and its closing "==> Next steps:" block.

#include <QStringList>

namespace qlan::test {

struct InstallTranscript {
    QStringList lines;
    qsizetype rounds = 0;
    // What the output filter shows of one round, in order.
    static QStringList shownPerRound() {
        return {QStringLiteral("==> Downloading and installing Homebrew..."),
                QStringLiteral("Warning: We do not provide support for this old version."),
                QStringLiteral(
                    "Note: that Homebrew message is about macOS 13 being an older version. It is not an "
                    "error — the install continues normally."),
                QStringLiteral("==> Installation successful!"), QString()};
    }
};

// Rounds until the text reaches at least `bytes` UTF-8 bytes.
inline InstallTranscript makeInstallTranscript(qsizetype bytes) {
    const QStringList round{
        QStringLiteral("==> Downloading and installing Homebrew..."),
        QStringLiteral("2026-05-17 10:11:12.345 installer[412:9001] PackageKit: Extracting payload"),
        QStringLiteral("Warning: We do not provide support for this old version."),
        QStringLiteral("==> Installation successful!"),
        QString(),
        QStringLiteral("==> Next steps:"),
        QStringLiteral("- Run these commands in your terminal to add Homebrew to your PATH:"),
        QStringLiteral("    (echo; echo 'eval \"$(/opt/homebrew/bin/brew shellenv)\"') >> ~/.zprofile"),
        QStringLiteral("    eval \"$(/opt/homebrew/bin/brew shellenv)\""),
        QStringLiteral("- Run brew help to get started"),
        QStringLiteral("- Further documentation:"),
        QStringLiteral("    https://docs.brew.sh"),
    };
    qsizetype perRound = 0;
    for (const QString& line : round)
        perRound += line.toUtf8().size() + 1;
    InstallTranscript transcript;
    transcript.rounds = (bytes + perRound - 1) / perRound;
    transcript.lines.reserve(transcript.rounds * round.size());
    for (qsizetype i = 0; i < transcript.rounds; ++i)
        transcript.lines += round;
    return transcript;
}

} // namespace qlan::test
