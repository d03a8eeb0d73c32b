#pragma once
// What every journey stands on: an edition made current with its readiness addresses on a loopback
// server, the standard settings in a temporary folder, a sandboxed Mac (stub programs, the real zsh, a
// sandbox home), a loopback records endpoint for usage events, and the real root view in a window.
// Journeys drive the screens by object name, as a person would click.

#include "editions/ProductConfig.h"
#include "support/CurrentEdition.h"
#include "support/IsolatedUserDefaults.h"
#include "support/LoopbackHttpServer.h"
#include "support/RecordingDesktopActions.h"
#include "support/Sandbox.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace qlan {
class QLANRootView;
class SetupActionBatch;
class SheetDialog;
class SetupWorkflowView;
} // namespace qlan

namespace qlan::test {

class JourneyTest : public ::testing::Test {
protected:
    explicit JourneyTest(const ProductConfig& edition = ProductConfig::homebrewEdition(),
                         const QString& homeName = QStringLiteral("tester"));
    ~JourneyTest() override;

    // The edition with its network readiness addresses on the loopback server.
    ProductConfig loopbackEdition(ProductConfig edition);

    // Copies the program's resource folders into the sandbox at the path the program looks them up.
    void installApplicationResources();
    // Every file below the sandbox home with its bytes, by path relative to the home folder, leaving out
    // the application's own support folder (its usage-event queue).
    QMap<QString, QByteArray> homeFiles() const;
    // The paths whose bytes differ between two such snapshots, or that only one of them holds.
    static QStringList changedFiles(const QMap<QString, QByteArray>& before,
                                    const QMap<QString, QByteArray>& after);
    // Shows the real root view (consent not yet given) as the active window.
    void openApp();
    QLANRootView* root() const { return root_.get(); }

    // The visible button with this object name below the window or in an open sheet; null when none.
    QAbstractButton* button(const QString& name) const;
    // Clicks the visible, enabled button with this object name (waiting for it to appear); fails the
    // test when it does not.
    void click(const QString& name, int timeoutMs = patienceMs);
    // Clicks the visible, enabled button with this title (for controls that carry no identifier).
    void clickTitled(const QString& title, int timeoutMs = patienceMs);
    // Ticks (or clears) the visible check box with this object name by clicking it when needed.
    void check(const QString& name, bool checked = true);
    // Clicks the first visible, enabled button inside the visible widget with this object name (a stage's
    // row is named after its fix).
    void clickIn(const QString& containerName, int timeoutMs = patienceMs);
    // Waits until a visible widget with this object name is shown.
    bool waitForShown(const QString& name, int timeoutMs = patienceMs) const;
    // The sheet open over the window; null when none is.
    SheetDialog* openSheet() const;
    // The open action sheet's batch; null when no sheet is open.
    SetupActionBatch* sheetBatch() const;
    // Waits until the open sheet's batch has ended; its lines in a failure message otherwise.
    ::testing::AssertionResult waitForSheetEnd(int timeoutMs = patienceMs) const;
    // The object names of the visible, enabled buttons, for a failure message.
    QStringList visibleButtons() const;
    // The visible label texts of the window and its sheets.
    QStringList visibleTexts() const;
    // Saves the window (and an open sheet) as `<journey>-<index>-<name>.png` when screenshots are on,
    // checks that a screen reader announces every control of both by the text it shows, walks the one
    // that holds the keyboard (the sheet when one is open) with Tab, checks that the texts of both read
    // in the light and the dark appearance, and that the window shows every control whole at its
    // minimum size.
    void capture(const QString& name);

    QString journeyName_ = QStringLiteral("journey");
    int shot_ = 0;
    IsolatedUserDefaults defaults_;
    Sandbox sandbox_;
    // A file below the home folder, as a path the sandbox's helpers take.
    QString home(const QString& relative) const { return sandbox_.home() + QLatin1Char('/') + relative; }
    LoopbackHttpServer web_; // readiness endpoints, install scripts, downloads
    TelemetryEndpoint records_;
    std::unique_ptr<CurrentEdition> edition_;
    std::unique_ptr<TelemetryService> telemetry_;
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
    std::unique_ptr<QLANRootView> root_;
};

} // namespace qlan::test
