#include "remediation/SetupRemediationRunner.h"

#include "editions/brew/HomebrewLocationState.h"
#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/RemediationJobs.h"

#include <exception>

namespace qlan {

using SR = SetupRemediation;
using Kind = SR::Kind;

namespace {

// The payload of a case that always carries one.
template <typename P> const P& payload(const SR& remediation) {
    return *remediation.payloadAs<P>();
}

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
    const SetupRemediationRunner& runner = *this;
    const SetupRemediation& r = remediation;
    switch (r.kind()) {
    case Kind::repairPath:
        return jobs::repairPath(runner, payload<SR::RepairPath>(r).directory);
    case Kind::createProject:
        return jobs::createProject(runner, payload<SR::CreateProject>(r));
    case Kind::installSkill:
        return jobs::installSkill(runner, payload<SR::InstallSkill>(r).skill);
    case Kind::addMCPServer:
        return jobs::addMCPServer(runner, payload<SR::AddMCPServer>(r));
    case Kind::configureGit:
        return jobs::configureGit(runner, payload<SR::ConfigureGit>(r));
    case Kind::installCommandLineTools:
        return jobs::installCommandLineTools(runner);
    case Kind::installHomebrew:
        return jobs::installHomebrew(runner);
    case Kind::installClaudeCLI:
        return jobs::installClaudeCLI(runner, reason);
    case Kind::repairHomebrewPath:
        return jobs::repairHomebrewPath(runner);
    case Kind::installWarp:
        return jobs::installAppCask(runner, QStringLiteral("warp"), reason);
    case Kind::installClaudeDesktop:
        return jobs::installAppCask(runner, QStringLiteral("claude"), reason);
    case Kind::installZed:
        return jobs::installAppCask(runner, QStringLiteral("zed"), reason);
    case Kind::installVSCode:
        return jobs::installAppCask(runner, QStringLiteral("visual-studio-code"), reason);
    case Kind::installCodexCLI:
        return jobs::installAppCask(runner, QStringLiteral("codex"), reason);
    case Kind::installCodexDesktop:
        return jobs::installAppCask(runner, QStringLiteral("codex-app"), reason);
    case Kind::configureShell:
        return jobs::configureShell(runner);
    case Kind::installUv:
        return jobs::installUv(runner);
    case Kind::installMise:
        return jobs::installMise(runner);
    case Kind::installNodeViaMise:
        return jobs::installNodeViaMise(runner);
    case Kind::installRubyViaMise:
        return jobs::installRubyViaMise(runner);
    case Kind::installRustViaMise:
        return jobs::installRustViaMise(runner);
    case Kind::installRustup:
        return jobs::installRustup(runner);
    case Kind::installTemurin:
        return jobs::installTemurin(runner, reason);
    case Kind::documentEnvironment:
        return jobs::documentEnvironment(runner);
    case Kind::installGh:
        return jobs::installGh(runner);
    case Kind::githubAuth:
        return jobs::githubAuth(runner);
    }
    return unavailable(remediation.id());
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

SetupRemediationRunner::Events SetupRemediationRunner::homebrewMissing() {
    return immediate([](const Output& out) {
        out.line(homebrewMissingLine);
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
