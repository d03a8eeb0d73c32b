#pragma once
// The outcome and feedback steps, decided without a widget: what the outcome screen lists (checklist or
// raw output, tip, applications to open, example projects, question) and where an application is
// opened from.

#include "catalog/SpineRenderPolicy.h"
#include "editions/ProductConfig.h"
#include "platform/FileSystemOperating.h"
#include "setup/SetupFlowModel.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace qlan {

class TelemetryService;

struct SetupOutcomeContent {
    // A button that opens an installed application.
    struct AppButton {
        QString label;
        QString appName;         // the bundle's file name, such as "Zed.app"
        QString accessibilityID; // "open-" and the bundle name without ".app"
        friend bool operator==(const AppButton&, const AppButton&) = default;
    };

    bool passed = false;
    QStringList checklist;            // shown when passed: the verified items, in the verifier's order
    std::optional<QString> rawOutput; // shown when not passed: the untrimmed output, unless it is blank
    QString tip;
    QList<AppButton> apps;
    QStringList exampleFolders; // existing example projects, simple before coding
    QString question;

    bool showsActionsRow() const { return !apps.isEmpty() || !exampleFolders.isEmpty(); }

    // The content for the model's current result and profile; the folders are looked up in `fs` now.
    static SetupOutcomeContent make(const SetupFlowModel& model, const FileSystemOperating& fs,
                                    const ProductConfig& edition);
    // ~/Documents/AI-Simple-Project and ~/Documents/AI-Coding-Project, each when something is there.
    static QStringList exampleProjectFolders(const FileSystemOperating& fs);
    // The bundle name without any ".app".
    static QString appTitle(const QString& appName);
    // Where to open an application from: /Applications, else ~/Applications; absent when in neither.
    static std::optional<QString> applicationPath(const QString& appName, const FileSystemOperating& fs);
    // Sends "app_opened" for an application found at `path`.
    static void reportAppOpened(const QString& appName, TelemetryService& telemetry);
};

} // namespace qlan
