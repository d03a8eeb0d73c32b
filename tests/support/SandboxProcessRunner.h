#pragma once
// The process runner of a sandbox: runs the executable found at the mapped path (a missing stub cannot be
// started; nothing falls back to this machine's program) with an environment that keeps children inside
// the sandbox, through another runner (the live one by default).

#include "platform/ProcessRunning.h"
#include "support/SandboxLayout.h"

#include <memory>

namespace qlan::test {

class SandboxProcessRunner : public ProcessRunning {
public:
    explicit SandboxProcessRunner(SandboxLayout layout, std::shared_ptr<ProcessRunning> inner = {});

    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<Environment>& environment = std::nullopt) override;
    ProcessResult runWithTimeLimit(const QString& executable, const QStringList& arguments,
                                   const std::optional<Environment>& environment,
                                   std::chrono::milliseconds timeLimit) override;
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<Environment>& environment = std::nullopt) override;

    // The real program started for a Mac executable path. A relative path is taken from "/", the working
    // folder of an application on a Mac.
    QString executablePath(const QString& executable) const;

    // The environment a child gets. Always: HOME = the sandbox home.
    // Inherited (absent): this process's environment with PATH = the sandbox's bin folders (mapped
    // /opt/homebrew/bin, /usr/local/bin, /usr/bin, /bin, /usr/sbin, /sbin) then this machine's
    // /usr/bin:/bin, TMPDIR = the sandbox's /private/tmp, and without ZDOTDIR, BASH_ENV and ENV (which
    // would make shells read this machine's startup files).
    // Explicit: as given, except that PATH entries that exist inside the root are mapped, the rest
    // kept, and ZDOTDIR, BASH_ENV and ENV are mapped inside the root.
    Environment childEnvironment(const std::optional<Environment>& environment) const;

private:
    SandboxLayout layout_;
    std::shared_ptr<ProcessRunning> inner_;
};

} // namespace qlan::test
