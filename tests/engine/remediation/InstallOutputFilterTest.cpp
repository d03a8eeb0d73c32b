// What the person sees of an installation's output: system log lines and Homebrew's "Next steps" block
// hidden, a note after the old-version warning, everything else unchanged; and of any one output line:
// a very long one cut with a mark.

#include "remediation/InstallOutputFilter.h"
#include "remediation/OutputLineLimit.h"

#include "support/InstallTranscript.h"

#include <gtest/gtest.h>

using namespace qlan;

namespace {

const QString note = InstallOutputFilter::oldVersionNote;

QStringList repeated(const QString& line, int times) {
    QStringList lines;
    for (int i = 0; i < times; ++i)
        lines << line;
    return lines;
}

} // namespace

TEST(InstallOutputFilter, Cases) {
    struct Case {
        const char* name;
        QStringList input;
        QStringList shown;
    };
    const QString warning = "Warning: We do not provide support for this old version.";
    const QList<Case> cases{
        {"empty", {}, {}},
        {"the install script's closing block",
         {"==> Installation successful!", "",
          "==> Next steps:", "- Run these commands in your terminal to add Homebrew to your PATH:",
          "    (echo; echo 'eval \"$(/opt/homebrew/bin/brew shellenv)\"') >> /Users/ada/.zprofile",
          "\teval \"$(/opt/homebrew/bin/brew shellenv)\"",
          "- Further documentation:", "    https://docs.brew.sh", "- shown again"},
         {"==> Installation successful!", "", "- shown again"}},
        {"indented header", {" \t==> Next steps:", "- hidden", "shown"}, {"shown"}},
        {"a plain line ends the block",
         {"==> Next steps:", "", "  indented", "Done", "- outside"},
         {"Done", "- outside"}},
        {"the 31st line is shown",
         QStringList{"==> Next steps:"} + repeated("- hidden", 30) + QStringList{"- 31st", "- after"},
         {"- 31st", "- after"}},
        {"a 31st line with the link is hidden",
         QStringList{"==> Next steps:"} + repeated("  hidden", 30) +
             QStringList{"  https://docs.brew.sh", "- after"},
         {"- after"}},
        {"the link outside a block", {"See https://docs.brew.sh"}, {"See https://docs.brew.sh"}},
        {"system log lines",
         {"2026-05-17 10:11:12.123 installer[412:9001] hidden",
          "2026-05-17 10:11:12.1234567 softwareupdated[1:2] hidden",
          "2026-05-17 10:11:12.123 installer hidden? no: shown",
          "2026-05-17 10:11:12.12 installer[412:9001] shown",
          "x2026-05-17 10:11:12.123 installer[412:9001] shown",
          "2026-05-17 10:11:12.123 installer[412:9001]"},
         {"2026-05-17 10:11:12.123 installer hidden? no: shown",
          "2026-05-17 10:11:12.12 installer[412:9001] shown",
          "x2026-05-17 10:11:12.123 installer[412:9001] shown",
          "2026-05-17 10:11:12.123 installer[412:9001]"}},
        {"two warnings, two notes", {warning, "between", warning}, {warning, note, "between", warning, note}},
        {"inside a block neither rule applies",
         {"==> Next steps:", "- hidden", "2026-05-17 10:11:12.123 installer[412:9001] ends the block",
          "==> Next steps:", warning},
         {"2026-05-17 10:11:12.123 installer[412:9001] ends the block", warning}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InstallOutputFilter::filter(c.input), c.shown);
    }
}

TEST(InstallOutputFilter, ATenMegabyteTranscript) {
    // The timing of this size is in bench_install_output_filter; here the result must be right.
    const test::InstallTranscript transcript = test::makeInstallTranscript(10 * 1024 * 1024);
    const QStringList shown = InstallOutputFilter::filter(transcript.lines);
    const QStringList round = test::InstallTranscript::shownPerRound();
    ASSERT_EQ(shown.size(), transcript.rounds * round.size());
    EXPECT_EQ(shown.mid(0, round.size()), round);
    EXPECT_EQ(shown.mid(shown.size() - round.size()), round);
}

TEST(OutputLineLimit, LongLinesAreCutWithAMark) {
    struct Case {
        const char* name;
        QString line;
        QString shown;
    };
    const qsizetype limit = OutputLineLimit::characters;
    const QString kept(limit, QLatin1Char('='));
    const QString emoji = QStringLiteral("\U0001F600"); // two UTF-16 units
    const QList<Case> cases{
        {"empty", {}, {}},
        {"short", "==> Pouring node--22.11.0", "==> Pouring node--22.11.0"},
        {"exactly at the limit", kept, kept},
        {"one over", kept + "x", kept + "… 1 more character"},
        {"twenty million", QString(20'000'000, QLatin1Char('=')), kept + "… 19,997,000 more characters"},
        {"a pair of units across the limit is not split", kept.left(limit - 1) + emoji + "ab",
         kept.left(limit - 1) + "… 4 more characters"},
        {"a pair of units just inside the limit is kept", kept.left(limit - 2) + emoji + "ab",
         kept.left(limit - 2) + emoji + "… 2 more characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OutputLineLimit::shown(c.line), c.shown);
    }
}

TEST(OutputLineLimit, ACharacterKeepsAHandfulOfCombiningMarks) {
    const int most = OutputLineLimit::marksPerCharacter;
    const QString acute(QChar(0x0301)), grave(QChar(0x0300));
    const QString bigMark = QStringLiteral("\U0001D167"); // a combining mark outside the BMP
    const QList<std::pair<QString, QString>> cases{
        {"Vi\u1EC7t Nam", "Vi\u1EC7t Nam"},
        {"e" + acute.repeated(most) + "x", "e" + acute.repeated(most) + "x"},
        {"a" + acute.repeated(2999), "a" + acute.repeated(most)},
        {("o" + grave.repeated(most + 3)).repeated(2), ("o" + grave.repeated(most)).repeated(2)},
        {"m" + bigMark.repeated(most + 1), "m" + bigMark.repeated(most)},
    };
    for (const auto& [line, shown] : cases)
        EXPECT_EQ(OutputLineLimit::shown(line), shown) << line.size();
}

TEST(OutputLineLimit, TerminalControlSequencesAreRemoved) {
    const QList<std::pair<QString, QString>> cases{
        {"\x1B[1;32m==>\x1B[0m \x1B[1mPouring\x1B[m node", "==> Pouring node"},
        {"see \x1B]8;;https://brew.sh\x1B\\the docs\x1B]8;;\x1B\\ now", "see the docs now"},
        {"\x1B]0;title\x07kept\tcolumn", "kept\tcolumn"},
        {"\u009B31mred\u009B0m \x1B(Bcharset \x1B"
         "7saved\x1BPq#0\x1B\\done",
         "red charset saved"
         "done"},
        {"spin\b\b\bner\x7F\x1B", "spinner"},
        {"unterminated \x1B]8;;https://x", "unterminated "},
        {"caf\u00E9 \U0001F600", "caf\u00E9 \U0001F600"},
    };
    for (const auto& [line, shown] : cases)
        EXPECT_EQ(OutputLineLimit::shown(line), shown) << line.toStdString();
    // What is removed does not count against the length of the row.
    const QString colored = "\x1B[32m" + QString(OutputLineLimit::characters, QLatin1Char('=')) + "\x1B[0m";
    EXPECT_EQ(OutputLineLimit::shown(colored), QString(OutputLineLimit::characters, QLatin1Char('=')));
}
