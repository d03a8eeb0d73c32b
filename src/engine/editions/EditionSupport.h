#pragma once
// Internal to the edition files (editions/brew, editions/claude, editions/java): the pieces that more
// than one edition's record or policy is made of. Nothing outside editions/ includes it.

#include "editions/ProductConfig.h"

#include <QList>
#include <QStringList>

namespace qlan::editions {

// The privacy bullets both guided-setup editions start with.
QStringList setupEditionPrivacyBullets();

// The links of a guided-setup edition under the guide website.
ProductURLs setupEditionURLs(const char* installMethods, const char* troubleshooting, const char* envConfig,
                             const char* warpContent);

// The fields both guided-setup editions' policies share: the domains that need no Homebrew, those that
// advance on a partial failure, the Java password reason, and the pickers and action lists.
void addSharedPolicyFields(SpineRenderPolicy& policy);

// Codex, Zed, VS Code and Warp, each when the profile has it.
void appendToolApps(QList<SpineRenderPolicy::OpenableApp>& apps, const AITooling& tools);

// The outcome screen's button for Claude Desktop.
const SpineRenderPolicy::OpenableApp& claudeDesktopApp();

} // namespace qlan::editions
