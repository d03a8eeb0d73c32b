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
