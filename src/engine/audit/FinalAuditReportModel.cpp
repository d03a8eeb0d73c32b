#include "audit/FinalAuditReportModel.h"

#include "platform/SystemProfiler.h"

namespace qlan {

FinalAuditReportModel::FinalAuditReportModel(SystemProfile initialProfile, std::function<void()> onDone,
                                             AppServices services, std::shared_ptr<NPSFeedbackHost> host,
                                             QObject* parent)
    : QObject(parent)
    , initial_(std::move(initialProfile))
    , onDone_(std::move(onDone))
    , services_(std::move(services))
    , feedback_(std::move(host)) {}

FinalAuditReportModel::~FinalAuditReportModel() {
    if (probe_) probe_->request_stop();
}

QList<AuditReportRow> FinalAuditReportModel::rows(const SystemProfile& profile) {
    using Tone = AuditReportRow::Tone;
    const auto presence = [](bool present, const QString& name) {
        return present ? AuditReportRow{QStringLiteral("✓"), Tone::good, name + QStringLiteral("installed")}
                       : AuditReportRow{QStringLiteral("✗"), Tone::bad, name + QStringLiteral("missing")};
    };
    return {
        presence(profile.xcodeCommandLineToolsPath.has_value(), QStringLiteral("Xcode Command Line Tools ")),
        presence(profile.homebrewPrefix.has_value(), QStringLiteral("Homebrew ")),
        profile.terminals.warp
            ? AuditReportRow{QStringLiteral("✓"), Tone::good, QStringLiteral("Warp installed")}
            : AuditReportRow{QStringLiteral("→"), Tone::recommendation,
                             QStringLiteral("Try Warp — we recommend it")},
    };
}

void FinalAuditReportModel::cameOnScreen() {
    if (fresh_ || probe_ || services_.isFixtureMode) return;
    probe_ = SystemProfiler::fromServices(services_).profileInBackground(this, [this](SystemProfile profile) {
        fresh_ = std::move(profile);
        emit profileChanged();
    });
}

void FinalAuditReportModel::done() {
    feedback_.leave();
    if (onDone_) onDone_();
}

} // namespace qlan
