#include "setup/SetupOutcomeContent.h"

#include "catalog/ProjectTemplate.h"
#include "setup/SetupWorkflowCopy.h"
#include "telemetry/NPSFeedbackHost.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

namespace qlan {

SetupOutcomeContent SetupOutcomeContent::make(const SetupFlowModel& model, const FileSystemOperating& fs,
                                              const ProductConfig& edition) {
    const auto& result = model.verifyResult();
    const SpineCopy& copy = SetupWorkflowCopy::spineCopy(edition);
    SetupOutcomeContent content;
    content.passed = SetupWorkflowCopy::verificationPassed(result);
    if (content.passed)
        content.checklist = result->verifiedItems;
    else if (result && !result->rawOutput.trimmed().isEmpty())
        content.rawOutput = result->rawOutput;
    content.tip = copy.selfCheckTip;
    for (const auto& app : SetupWorkflowCopy::openableApps(edition, model.profile(), result))
        content.apps.append({app.label, app.appName, QStringLiteral("open-") + appTitle(app.appName)});
    content.exampleFolders = exampleProjectFolders(fs);
    content.question = copy.outcomeQuestion;
    return content;
}

QStringList SetupOutcomeContent::exampleProjectFolders(const FileSystemOperating& fs) {
    const QString documents = fs.homeDirectory() + QStringLiteral("/Documents/");
    QStringList folders;
    for (const ProjectTemplate projectTemplate : allCases<ProjectTemplate>()) {
        const QString candidate = documents + folderName(projectTemplate);
        if (fs.fileExists(candidate)) folders.append(candidate);
    }
    return folders;
}

QString SetupOutcomeContent::appTitle(const QString& appName) {
    return QString(appName).remove(QStringLiteral(".app"));
}

std::optional<QString> SetupOutcomeContent::applicationPath(const QString& appName,
                                                            const FileSystemOperating& fs) {
    const QString system = QStringLiteral("/Applications/") + appName;
    if (fs.fileExists(system)) return system;
    const QString personal = fs.homeDirectory() + QStringLiteral("/Applications/") + appName;
    if (fs.fileExists(personal)) return personal;
    return std::nullopt;
}

void SetupOutcomeContent::reportAppOpened(const QString& appName, TelemetryService& telemetry) {
    telemetry.track(appOpenedEvent(appTitle(appName)));
}

bool SetupOutcomeContent::resolveOutcome(SetupFlowModel& model, const QString& selfReport,
                                         const AppServices& services, AppNavigation* navigation) {
    if (model.step().kind != SetupFlowModel::Step::Kind::outcome) return false;
    if (model.recordOutcome(selfReport, services) && navigation) navigation->setPath({});
    return true;
}

void SetupOutcomeContent::finishFeedback(SetupFlowModel& model, NPSFeedbackHost& host,
                                         AppNavigation* navigation) {
    if (!model.npsResolved() && !host.isResolved()) host.recordDismissal();
    model.setNpsResolved(true);
    if (navigation) navigation->setPath({});
}

} // namespace qlan
