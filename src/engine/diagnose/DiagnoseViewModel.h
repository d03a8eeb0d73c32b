#pragma once
// The state of the Java diagnosis screen: it classifies the Mac's Java installation with the current
// edition's diagnosis profile, reports the diagnosis, and chooses the fix that installs a Java major or
// sets JAVA_HOME for an installed JDK. Lives on the GUI thread; the screen assigns every state after
// the diagnosis itself.

#include "diagnose/JavaVerifier.h"
#include "diagnosis/Diagnosis.h"
#include "diagnosis/Remediation.h"
#include "platform/SystemProfile.h"

#include <QObject>
#include <QString>

#include <optional>
#include <variant>

namespace qlan {

class TelemetryService;

class DiagnoseViewModel : public QObject {
    Q_OBJECT
public:
    // The diagnosis is on screen with the fixes chosen for it.
    struct Diagnosed {
        Diagnosis diagnosis;
        std::optional<Remediation> d1Remediation;
        std::optional<Remediation> d2Remediation;
        friend bool operator==(const Diagnosed&, const Diagnosed&) = default;
    };
    // A fix is being carried out.
    struct Remediating {
        Remediation remediation;
        friend bool operator==(const Remediating&, const Remediating&) = default;
    };
    // The fix finished and the Java check runs in a fresh login shell.
    struct Verifying {
        Remediation remediation;
        friend bool operator==(const Verifying&, const Verifying&) = default;
    };
    // The check finished; its result is on screen.
    struct Verified {
        Remediation remediation;
        JavaVerifier::Result result;
        friend bool operator==(const Verified&, const Verified&) = default;
    };
    // A fix finished that needs no Java check.
    struct Completed {
        QString message;
        friend bool operator==(const Completed&, const Completed&) = default;
    };
    // A fix failed.
    struct Error {
        QString message;
        friend bool operator==(const Error&, const Error&) = default;
    };
    // The Mac is being examined.
    struct Probing {
        friend bool operator==(const Probing&, const Probing&) = default;
    };
    using State = std::variant<Diagnosed, Remediating, Verifying, Verified, Completed, Error, Probing>;

    // Events go to `telemetry`, which outlives the model.
    explicit DiagnoseViewModel(TelemetryService& telemetry, QObject* parent = nullptr);

    const State& state() const { return state_; }
    // Every assignment emits stateChanged, also when the value is the same.
    void setState(State state);

    // Classifies the profile's Java probes with the current edition's diagnosis profile, moves to
    // `Diagnosed` (with the JAVA_HOME fix for a JDK whose JAVA_HOME is unset), then sends one
    // "diagnosis_reached". Call it on the GUI thread, once, while probing.
    void diagnose(const SystemProfile& profile);

    // The fix that installs `major` on the Mac the profile describes.
    static Remediation installRemediation(int major, const SystemProfile& profile);
    // The fix that sets JAVA_HOME to the installed JDK.
    static Remediation remediation(const JDKInfo& jdk, const SystemProfile& profile);
    // The major that jEnv registers for a version text: its first dot-separated piece when that is a
    // whole number, otherwise the recommended major.
    static int jenvMajor(const QString& version);

signals:
    void stateChanged();

private:
    TelemetryService& telemetry_;
    State state_ = Probing{};
};

} // namespace qlan
