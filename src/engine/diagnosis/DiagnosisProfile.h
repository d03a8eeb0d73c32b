#pragma once
// The strategy an edition uses to classify the Java probe results into a Diagnosis.

#include "diagnosis/Diagnosis.h"
#include "platform/JavaProbeModel.h"

namespace qlan {

class DiagnosisProfile {
public:
    virtual ~DiagnosisProfile() = default;
    virtual Diagnosis diagnose(const ProbeBundle& bundle) const = 0;
};

// The Java edition's classification: no JDK, JAVA_HOME unset, legacy only, modern with JAVA_HOME,
// or unknown when the JDK folder has entries that no probe could identify.
class JavaProfile : public DiagnosisProfile {
public:
    Diagnosis diagnose(const ProbeBundle& bundle) const override;
};

// Finds nothing: every bundle gives `noErrorsFound`.
class InertDiagnosisProfile : public DiagnosisProfile {
public:
    Diagnosis diagnose(const ProbeBundle& bundle) const override;
};

} // namespace qlan
