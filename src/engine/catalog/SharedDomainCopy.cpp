#include "catalog/SharedDomainCopy.h"

namespace qlan {
namespace {

SetupDiagnosis diagnosis(const SharedDomainCopy::State& state, SetupDiagnosisClassification classification) {
    return {state.headline, state.detail, classification};
}

} // namespace

const SharedDomainCopy& SharedDomainCopy::standard() {
    static const SharedDomainCopy copy{
        {QStringLiteral("Command Line Tools are installed"),
         QStringLiteral("Apple's Command Line Tools are present — required for Homebrew and Git.")},
        {QStringLiteral("Install Apple's Command Line Tools"),
         QStringLiteral(
             "Homebrew and Git need Apple's Command Line Tools. We'll open Apple's installer; it takes a "
             "few minutes.")},
        {QStringLiteral("Homebrew is installed"),
         QStringLiteral("Homebrew is present — we'll use it to install your tools coherently and keep them "
                        "updatable.")},
        {QStringLiteral("Homebrew isn't installed"),
         QStringLiteral(
             "We'll install Homebrew first — it's how we install your tools as one coherent, updatable, "
             "removable setup.")},
        {QStringLiteral("Warp is installed"), QStringLiteral("You already have Warp.")},
        {QStringLiteral("Try Warp — the AI-assisted terminal"),
         QStringLiteral("Warp is a modern macOS terminal we recommend.")},
    };
    return copy;
}

const SharedDomainCopy& SharedDomainCopy::claudeEdition() {
    static const SharedDomainCopy copy = [] {
        SharedDomainCopy claude = standard();
        claude.homebrewReady.detail = QStringLiteral(
            "Homebrew is present — we'll use it to install Claude Code coherently and keep it updatable.");
        claude.homebrewFixable.detail = QStringLiteral(
            "We'll install Homebrew first — it's how we install the Claude Code CLI and Desktop as one "
            "coherent, updatable, removable setup.");
        claude.warpFixable.detail =
            QStringLiteral("Warp is the modern macOS terminal we recommend for working with Claude Code.");
        return claude;
    }();
    return copy;
}

SetupDiagnosis SharedDomainCopy::cltDiagnosis(const SystemProfile& profile) const {
    return profile.xcodeCommandLineToolsPath ? diagnosis(cltReady, SetupDiagnosisClassification::ready)
                                             : diagnosis(cltFixable, SetupDiagnosisClassification::fixable);
}

SetupDiagnosis SharedDomainCopy::homebrewDiagnosis(const SystemProfile& profile) const {
    return profile.homebrewPrefix ? diagnosis(homebrewReady, SetupDiagnosisClassification::ready)
                                  : diagnosis(homebrewFixable, SetupDiagnosisClassification::fixable);
}

} // namespace qlan
