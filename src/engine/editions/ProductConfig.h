#pragma once
// One product edition as data: identifiers, names, folder names, the key prefix of the key-value
// store, shell-file marker, welcome and consent texts, links, the flow the welcome screen opens, the
// diagnosis profile, and the strategy objects of the guided setup. Code reads the edition only through
// the process-wide current record, `ProductConfig::current()`. Each edition's record is made in its own
// folder: editions/java, editions/brew and editions/claude.

#include "catalog/OfferSpec.h"
#include "catalog/Prompts.h"
#include "catalog/SetupProber.h"
#include "catalog/SetupVerifier.h"
#include "catalog/SharedDomainCopy.h"
#include "catalog/SpineCopy.h"
#include "catalog/SpineProvider.h"
#include "catalog/SpineRenderPolicy.h"
#include "diagnosis/DiagnosisProfile.h"
#include "platform/TextEnum.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

namespace qlan {

// Which flow an edition's welcome screen opens.
enum class SetupFlow { diagnose, setupWorkflow };

template <> struct TextEnumCases<SetupFlow> {
    static constexpr TextCase<SetupFlow> cases[]{
        {SetupFlow::diagnose, "diagnose"},
        {SetupFlow::setupWorkflow, "setupWorkflow"},
    };
};

// Welcome-screen texts.
struct ProductCopy {
    QString welcomeExplainer;
    QString primaryCTA; // the welcome screen's main button
    std::optional<QString> welcomeHeadline;
    friend bool operator==(const ProductCopy&, const ProductCopy&) = default;
};

// Consent-screen texts.
struct ConsentCopy {
    QString whatTitle;
    QStringList whatBullets;
    QString privacyTitle;
    QStringList privacyBullets;

    // The Java edition's consent texts.
    static const ConsentCopy& standard();
    friend bool operator==(const ConsentCopy&, const ConsentCopy&) = default;
};

// The edition's links, all absolute.
struct ProductURLs {
    QUrl articleBase; // article paths resolve under it
    QUrl privacy;
    QUrl installMethods;
    QUrl troubleshooting;
    QUrl envConfig;
    QUrl commandLineTools;
    QUrl macosUpgrade;
    QUrl warpAffiliate; // the terminal vendor's landing page with campaign parameters

    // The root of the guide website.
    static QUrl guideSiteRoot();
    // A page of the guide website, such as "/java/download".
    static QUrl guidePage(const QString& path);
    // The terminal vendor's landing page with the campaign parameters; `content` tells the edition.
    static QUrl warpAffiliatePage(const QString& content);

    friend bool operator==(const ProductURLs&, const ProductURLs&) = default;
};

struct ProductConfig {
    // Fixed when the record is made.
    QString appID;              // sent with every usage event
    QString displayName;        // shown to the user; the title of the password dialog
    QString appSupportDirName;  // the edition's folder under Application Support
    QString userDefaultsPrefix; // keys are the prefix, a dot and a name
    QString shellConfigMarker;  // opens every block the file writers add to a user's file
    bool datedShellMarker = false;
    QString cacheDirName; // the edition's folder inside the Caches folder
    ProductCopy copy;
    ProductURLs urls;
    ConsentCopy consent;
    std::shared_ptr<const DiagnosisProfile> diagnosisProfile;
    std::optional<GoalPrompt> goalPrompt;         // the goal question, when the edition asks one
    std::optional<NextStepPrompt> nextStepPrompt; // the next-step question, when the edition asks one
    QMap<QString, OfferSpec> offerCatalog;        // offer cards by offer id
    SetupFlow flow = SetupFlow::diagnose;

    // May be replaced after the record is made. The strategy objects are small stateless values that
    // copies of the record share.
    std::shared_ptr<const SpineProvider> spineProvider;
    std::shared_ptr<const SetupVerifier> verifier;
    SharedDomainCopy sharedDomainCopy = SharedDomainCopy::standard();
    SpineRenderPolicy spinePolicy;
    std::shared_ptr<const SetupProber> prober;
    std::shared_ptr<const SpineCopy> spineCopy;

    // The engine's own default edition, built once; every read is a copy.
    static ProductConfig javaEdition();
    static ProductConfig makeJavaEdition();

    // The Homebrew edition (the one this application runs) and the Claude Code edition, each built once
    // on first use (building one does not build the other); every read is a copy.
    static ProductConfig homebrewEdition();
    static ProductConfig makeHomebrewEdition();
    static ProductConfig claudeEdition();
    static ProductConfig makeClaudeEdition();

    // The process-wide current edition: the Java edition until the application entry replaces it,
    // once, before any window exists. Reads return copies.
    static ProductConfig current();
    static void setCurrent(const ProductConfig& config);
};

} // namespace qlan
