#pragma once
// The state behind the audit's report: three status lines (Command Line Tools, Homebrew, the terminal)
// from the profile handed in, replaced by a profile probed afresh the first time the screen is shown
// (never in fixture mode), the feedback card's slot, and the way out. Lives on the GUI thread; a probe
// that ends after the model is gone is dropped.

#include "audit/HostedFeedbackCard.h"
#include "platform/AppServices.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace qlan {

struct AuditReportRow {
    enum class Tone { good, bad, recommendation };
    QString mark; // "✓", "✗" or "→"
    Tone tone = Tone::good;
    QString text;
    friend bool operator==(const AuditReportRow&, const AuditReportRow&) = default;
};

class FinalAuditReportModel : public QObject {
    Q_OBJECT
public:
    FinalAuditReportModel(SystemProfile initialProfile, std::function<void()> onDone, AppServices services,
                          std::shared_ptr<NPSFeedbackHost> host, QObject* parent = nullptr);
    ~FinalAuditReportModel() override;

    static QList<AuditReportRow> rows(const SystemProfile& profile);

    // The fresh profile once probed, else the one handed in.
    const SystemProfile& displayedProfile() const { return fresh_ ? *fresh_ : initial_; }
    bool hasFreshProfile() const { return fresh_.has_value(); }
    HostedFeedbackCard& feedback() { return feedback_; }

    // The screen is shown: probes the Mac unless a fresh profile is held, a probe runs, or fixture mode
    // is on.
    void cameOnScreen();
    // "Done — back to home": the feedback card's leave step, then the callback.
    void done();

signals:
    void profileChanged();

private:
    SystemProfile initial_;
    std::optional<SystemProfile> fresh_;
    std::function<void()> onDone_;
    AppServices services_;
    HostedFeedbackCard feedback_;
    std::optional<std::stop_source> probe_;
};

} // namespace qlan
