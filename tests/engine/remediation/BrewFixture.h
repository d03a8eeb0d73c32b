#pragma once
// A brew runner in a sandbox, with a scripted stub `brew` that answers each run from a list.

#include "remediation/PasswordDialog.h"
#include "remediation/BrewRunner.h"

#include "StreamEventPrinter.h"
#include "support/RecordingHTTPFetcher.h"
#include "support/Sandbox.h"
#include "support/StreamDrain.h"

#include <QRegularExpression>

#include <vector>

namespace qlan::test {

struct BrewAnswer {
    QString output; // printed as is
    int exitCode = 0;
};

inline const QString brewPath = QStringLiteral("/opt/homebrew/bin/brew");

// The n-th run of the stub prints the n-th answer and exits with its code (the last answer repeats).
inline void writeScriptedBrew(Sandbox& sandbox, const QList<BrewAnswer>& answers) {
    for (qsizetype i = 0; i < answers.size(); ++i) {
        sandbox.writeFile(QStringLiteral("/brew-answers/%1.out").arg(i + 1), answers[i].output.toUtf8());
        sandbox.writeFile(QStringLiteral("/brew-answers/%1.code").arg(i + 1),
                          QByteArray::number(answers[i].exitCode));
    }
    const QString folder = sandbox.map(QStringLiteral("/brew-answers"));
    StubSpec spec;
    spec.script = QStringLiteral("d='%1'\n"
                                 "n=$(( $(/bin/cat \"$d/count\" 2>/dev/null || echo 0) + 1 ))\n"
                                 "echo $n >\"$d/count\"\n"
                                 "[ -e \"$d/$n.out\" ] || n=%2\n"
                                 "/bin/cat \"$d/$n.out\"\n"
                                 "exit $(/bin/cat \"$d/$n.code\")\n")
                      .arg(folder)
                      .arg(answers.size());
    sandbox.writeStub(brewPath, spec);
}

inline BrewRunner brewRunnerIn(const Sandbox& sandbox, std::shared_ptr<HTTPFetching> http = {}) {
    const auto& services = sandbox.services();
    if (!http) http = std::make_shared<RecordingHTTPFetcher>();
    BrewRunner runner{brewPath,    services.processRunner,          http,
                      services.fs, editionPrivilegedExecutor(services.fs), AdoptiumAPI{http}};
    runner.retryPause = std::chrono::milliseconds(0);
    runner.architecture = QStringLiteral("x64");
    return runner;
}

inline QStringList privateFoldersIn(const Sandbox& sandbox) {
    const auto fs = sandbox.services().fs;
    return fs->contentsOfDirectory(fs->temporaryDirectory())
        .filter(QRegularExpression(QStringLiteral("^vrl-priv-")));
}

// The events with the varying reason of a failed start cut off after its prefix.
inline std::vector<StreamEvent> withoutStartReasons(std::vector<StreamEvent> events) {
    const QString prefix = QStringLiteral("Failed to start brew: ");
    for (StreamEvent& event : events)
        if (event.text.startsWith(prefix)) event.text = prefix;
    return events;
}

} // namespace qlan::test
