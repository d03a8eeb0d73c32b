#include "JourneyFixture.h"

#include "remediation/ApplicationResources.h"
#include "setup/SetupActionBatch.h"
#include "support/AccessibleNames.h"
#include "support/KeyboardWalk.h"
#include "support/PersonClick.h"
#include "support/RenderedPixels.h"
#include "support/ScreenCapture.h"
#include "support/Wait.h"
#include "support/WindowFit.h"
#include "telemetry/TelemetryService.h"
#include "ui/appshell/QLANRootView.h"
#include "ui/setup/SetupActionProgressView.h"
#include "ui/widgets/DesktopActions.h"
#include "ui/widgets/SheetDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QLabel>
#include <QTest>

namespace qlan::test {

namespace {

bool shownAndEnabled(const QWidget* widget) {
    return widget && widget->isVisible() && widget->isEnabled();
}

} // namespace

JourneyTest::JourneyTest(const ProductConfig& edition, const QString& homeName)
    : sandbox_(homeName)
    , edition_(std::make_unique<CurrentEdition>(loopbackEdition(edition))) {
    // Readiness samples answer at once with a small body.
    for (const QString& path :
         {QStringLiteral("/readiness/1"), QStringLiteral("/readiness/2"), QStringLiteral("/readiness/3")})
        web_.route(path, LoopbackResponse{200, {}, QByteArray(64 * 1024, 'x')});
    telemetry_ = records_.makeService(sandbox_.services());
    installApplicationResources();
}

void JourneyTest::installApplicationResources() {
    // The program's resources, where the application finds them on the sandboxed Mac.
    const QString root = ApplicationResources::installed().root;
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
        sandbox_.writeFile(path, file.readAll(), files.fileInfo().isExecutable() ? 0755 : 0644);
    }
}

JourneyTest::~JourneyTest() {
    root_.reset();
    waitUntil([] { return false; }, 50); // late deliveries reach nothing
}

ProductConfig JourneyTest::loopbackEdition(ProductConfig edition) {
    if (edition.spinePolicy.networkReadiness) {
        QList<QUrl> endpoints;
        for (qsizetype i = 0; i < edition.spinePolicy.networkReadiness->endpoints.size(); ++i)
            endpoints << web_.url(QStringLiteral("/readiness/%1").arg(i + 1));
        edition.spinePolicy.networkReadiness->endpoints = endpoints;
    }
    return edition;
}

QMap<QString, QByteArray> JourneyTest::homeFiles() const {
    QMap<QString, QByteArray> files;
    const QDir home(sandbox_.home());
    QDirIterator it(sandbox_.home(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (home.relativeFilePath(path).startsWith(QStringLiteral("Library/Application Support/"))) continue;
        QFile file(path);
        files.insert(home.relativeFilePath(path),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)"));
    }
    return files;
}

QStringList JourneyTest::changedFiles(const QMap<QString, QByteArray>& before,
                                      const QMap<QString, QByteArray>& after) {
    QStringList changed;
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()) || after.value(it.key()) != it.value()) changed << it.key();
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key())) changed << it.key();
    return changed;
}

void JourneyTest::openApp() {
    root_ = std::make_unique<QLANRootView>(sandbox_.services(), *telemetry_);
    DesktopActions::install(root_.get(), desktop_);
    root_->show();
    root_->activateWindow();
    ASSERT_TRUE(waitForWindowExposed(root_.get()));
}

QAbstractButton* JourneyTest::button(const QString& name) const {
    for (QAbstractButton* candidate : root_->findChildren<QAbstractButton*>(name))
        if (shownAndEnabled(candidate)) return candidate;
    return nullptr;
}

void JourneyTest::click(const QString& name, int timeoutMs) {
    QAbstractButton* target = nullptr;
    waitUntil([&] { return (target = button(name)) != nullptr; }, timeoutMs);
    ASSERT_NE(target, nullptr) << "no button " << name.toStdString() << " among "
                               << visibleButtons().join(QStringLiteral(", ")).toStdString()
                               << "\ntexts: " << visibleTexts().join(QStringLiteral(" | ")).toStdString();
    clickAsAPerson(target);
}

void JourneyTest::clickTitled(const QString& title, int timeoutMs) {
    QAbstractButton* target = nullptr;
    waitUntil(
        [&] {
            for (QAbstractButton* candidate : root_->findChildren<QAbstractButton*>())
                if (shownAndEnabled(candidate) && candidate->text() == title)
                    return (target = candidate) != nullptr;
            return false;
        },
        timeoutMs);
    ASSERT_NE(target, nullptr) << "no button titled " << title.toStdString() << " among "
                               << visibleButtons().join(QStringLiteral(", ")).toStdString();
    clickAsAPerson(target);
}

void JourneyTest::check(const QString& name, bool checked) {
    QAbstractButton* box = nullptr;
    waitUntil([&] { return (box = button(name)) != nullptr; });
    ASSERT_NE(box, nullptr) << "no check box " << name.toStdString();
    if (box->isChecked() != checked) clickAsAPerson(box);
    ASSERT_EQ(box->isChecked(), checked) << name.toStdString();
}

void JourneyTest::clickIn(const QString& containerName, int timeoutMs) {
    QAbstractButton* target = nullptr;
    waitUntil(
        [&] {
            for (const QWidget* container : root_->findChildren<QWidget*>(containerName))
                if (container->isVisible())
                    for (QAbstractButton* candidate : container->findChildren<QAbstractButton*>())
                        if (shownAndEnabled(candidate)) return (target = candidate) != nullptr;
            return false;
        },
        timeoutMs);
    ASSERT_NE(target, nullptr) << "no button inside " << containerName.toStdString() << " among "
                               << visibleButtons().join(QStringLiteral(", ")).toStdString();
    clickAsAPerson(target);
}

bool JourneyTest::waitForShown(const QString& name, int timeoutMs) const {
    return waitUntil(
        [&] {
            for (const QWidget* widget : root_->findChildren<QWidget*>(name))
                if (widget->isVisible()) return true;
            return false;
        },
        timeoutMs);
}

SheetDialog* JourneyTest::openSheet() const {
    for (SheetDialog* sheet : root_->findChildren<SheetDialog*>())
        if (sheet->isVisible()) return sheet;
    return nullptr;
}

SetupActionBatch* JourneyTest::sheetBatch() const {
    for (SetupActionProgressView* view : root_->findChildren<SetupActionProgressView*>())
        if (view->isVisible()) return view->batch();
    return nullptr;
}

::testing::AssertionResult JourneyTest::waitForSheetEnd(int timeoutMs) const {
    if (waitUntil([&] { return sheetBatch() && sheetBatch()->hasEnded(); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << (sheetBatch() ? "the sheet's batch is still running: " +
                                  sheetBatch()->lines().join(QStringLiteral("\n")).toStdString()
                            : std::string("no sheet is open"));
}

QStringList JourneyTest::visibleButtons() const {
    QStringList names;
    for (const QAbstractButton* candidate : root_->findChildren<QAbstractButton*>())
        if (shownAndEnabled(candidate))
            names << candidate->objectName() + QStringLiteral(" \"") + candidate->text() + QLatin1Char('"');
    return names;
}

QStringList JourneyTest::visibleTexts() const {
    QStringList texts;
    for (const QLabel* label : root_->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty()) texts << label->text();
    return texts;
}

void JourneyTest::capture(const QString& name) {
    const QString file =
        QStringLiteral("%1-%2-%3").arg(journeyName_).arg(++shot_, 2, 10, QLatin1Char('0')).arg(name);
    // What a person reads is what stands once a change has eased in.
    EXPECT_TRUE(waitForAnimations(root_.get())) << file.toStdString();
    saveScreenshot(root_.get(), file);
    EXPECT_TRUE(announcesShownTexts(root_.get())) << file.toStdString();
    EXPECT_TRUE(fitsAtMinimumSize(root_.get())) << file.toStdString();
    QWidget* keyboardWindow = root_.get(); // an open sheet holds the keyboard
    if (SheetDialog* sheet = openSheet()) {
        saveScreenshot(sheet, file + QStringLiteral("-sheet"));
        keyboardWindow = sheet;
    }
    // A person walks the window in front: the one a sheet leaves is active again once it closes.
    keyboardWindow->activateWindow();
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == keyboardWindow; }))
        << file.toStdString();
    EXPECT_TRUE(walksByKeyboard(keyboardWindow)) << file.toStdString();
    EXPECT_TRUE(textsReadInBothAppearances(root_.get())) << file.toStdString();
    if (keyboardWindow != root_.get()) {
        EXPECT_TRUE(textsReadInBothAppearances(keyboardWindow)) << file.toStdString();
    }
}

} // namespace qlan::test
