#include "remediation/SetupRemediationRunner.h"

#include "editions/brew/HomebrewLocationState.h"
#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/RemediationJobs.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <iterator>

namespace qlan {

using SR = SetupRemediation;
using Kind = SR::Kind;

namespace {

using Runner = SetupRemediationRunner;
using Events = SetupRemediationRunner::Events;

// The payload of a case that always carries one.
template <typename P> const P& payload(const SR& remediation) {
    return *remediation.payloadAs<P>();
}

// The job of one kind: the runner, the fix, and the password dialog's prompt (read by the cask jobs).
using Job = Events (*)(const Runner& runner, const SR& remediation, const QString& reason);
struct JobRow {
    Kind kind;
    Job job;
};

// A job that needs only the runner.
template <Events (*job)(const Runner&)> Events plain(const Runner& runner, const SR&, const QString&) {
    return job(runner);
}
// A job that also shows the password dialog.
template <Events (*job)(const Runner&, const QString&)>
Events withReason(const Runner& runner, const SR&, const QString& reason) {
    return job(runner, reason);
}

// A text fixed at compile time, so that it can be a template argument.
template <std::size_t N> struct FixedText {
    char text[N];
    constexpr FixedText(const char (&literal)[N]) { std::copy_n(literal, N, text); }
};
// The install of one of the application casks.
template <FixedText cask> Events appCask(const Runner& runner, const SR&, const QString& reason) {
    return jobs::installAppCask(runner, QString::fromLatin1(cask.text), reason);
}

// Every kind, in declaration order.
constexpr JobRow jobRows[] = {
    {Kind::repairPath,
     [](const Runner& runner, const SR& r, const QString&) {
         return jobs::repairPath(runner, payload<SR::RepairPath>(r).directory);
     }},
    {Kind::createProject,
     [](const Runner& runner, const SR& r, const QString&) {
         return jobs::createProject(runner, payload<SR::CreateProject>(r));
     }},
    {Kind::installSkill,
     [](const Runner& runner, const SR& r, const QString&) {
         return jobs::installSkill(runner, payload<SR::InstallSkill>(r).skill);
     }},
    {Kind::addMCPServer,
     [](const Runner& runner, const SR& r, const QString&) {
         return jobs::addMCPServer(runner, payload<SR::AddMCPServer>(r));
     }},
    {Kind::configureGit,
     [](const Runner& runner, const SR& r, const QString&) {
         return jobs::configureGit(runner, payload<SR::ConfigureGit>(r));
     }},
    {Kind::installCommandLineTools, plain<jobs::installCommandLineTools>},
    {Kind::installHomebrew, plain<jobs::installHomebrew>},
    {Kind::installClaudeCLI, withReason<jobs::installClaudeCLI>},
    {Kind::repairHomebrewPath, plain<jobs::repairHomebrewPath>},
    {Kind::installWarp, appCask<"warp">},
    {Kind::installClaudeDesktop, appCask<"claude">},
    {Kind::installZed, appCask<"zed">},
    {Kind::installVSCode, appCask<"visual-studio-code">},
    {Kind::installCodexCLI, appCask<"codex">},
    {Kind::installCodexDesktop, appCask<"codex-app">},
    {Kind::configureShell, plain<jobs::configureShell>},
    {Kind::installUv, plain<jobs::installUv>},
    {Kind::installMise, plain<jobs::installMise>},
    {Kind::installNodeViaMise, plain<jobs::installNodeViaMise>},
    {Kind::installRubyViaMise, plain<jobs::installRubyViaMise>},
    {Kind::installRustViaMise, plain<jobs::installRustViaMise>},
    {Kind::installRustup, plain<jobs::installRustup>},
    {Kind::installTemurin, withReason<jobs::installTemurin>},
    {Kind::documentEnvironment, plain<jobs::documentEnvironment>},
    {Kind::installGh, plain<jobs::installGh>},
    {Kind::githubAuth, plain<jobs::githubAuth>},
};

constexpr bool rowsInDeclarationOrder() {
    for (std::size_t i = 0; i < std::size(jobRows); ++i)
        if (static_cast<std::size_t>(jobRows[i].kind) != i) return false;
    return std::size(jobRows) == SR::kindCount;
}
static_assert(rowsInDeclarationOrder(), "jobRows holds every kind once, in declaration order");

} // namespace

QStringList SetupRemediationRunner::brewLocations() {
    return {HomebrewLocationState::appleSiliconBrew, HomebrewLocationState::intelBrew};
}

SetupRemediationRunner SetupRemediationRunner::fromServices(const AppServices& services) {
    std::optional<QString> brew;
    for (const QString& candidate : brewLocations()) {
        if (probing::isExecutableFile(services.fs.get(), candidate)) {
            brew = candidate;
            break;
        }
    }
    return SetupRemediationRunner(brew, services.processRunner, services.fs, services.http);
}

SetupRemediationRunner::Events SetupRemediationRunner::run(const SetupRemediation& remediation,
                                                           const QString& reason) const {
    const auto index = static_cast<std::size_t>(remediation.kind());
    if (index >= std::size(jobRows)) return unavailable(remediation.id());
    return jobRows[index].job(*this, remediation, reason);
}

std::int32_t SetupRemediationRunner::runShell(const QString& command, const Output& out,
                                              std::stop_token stop) const {
    if (stop.stop_requested()) return -1;
    std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>> child;
    try {
        child = process->stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command}, std::nullopt);
    } catch (const std::exception& error) {
        out.line(QStringLiteral("Failed to start: ") + errorDescription(error));
        return -1;
    }
    std::int32_t status = -1;
    while (std::optional<ProcessStreamEvent> event = child.first.next(stop)) {
        switch (event->kind) {
        case ProcessStreamEvent::Kind::line:
            out.line(event->text, event->omitted);
            break;
        case ProcessStreamEvent::Kind::exited:
            status = event->code;
            break;
        case ProcessStreamEvent::Kind::failedToStart:
            out.line(QStringLiteral("Failed to start: ") + event->text);
            return -1;
        }
    }
    // A stop ends the child through its stream's termination handler; its status no longer counts.
    return stop.stop_requested() ? -1 : status;
}

SetupRemediationRunner::Events SetupRemediationRunner::task(TaskBody body) {
    return startJobStream([body = std::move(body)](const Output& out, CancellableProcess&,
                                                   std::stop_token stop) { body(out, stop); });
}

SetupRemediationRunner::Events SetupRemediationRunner::fileJob(ImmediateBody body) {
    return startJobStream(
        [body = std::move(body)](const Output& out, CancellableProcess&, std::stop_token) { body(out); });
}

SetupRemediationRunner::Events SetupRemediationRunner::homebrewMissing() {
    return immediate([](const Output& out) {
        out.line(homebrewMissingLine.toString());
        out.completed(-1);
    });
}

SetupRemediationRunner::Events SetupRemediationRunner::unavailable(const QString& step) {
    return immediate([step](const Output& out) {
        out.line(QStringLiteral("The step “%1” is not available in this build.").arg(step));
        out.completed(-1);
    });
}

} // namespace qlan
