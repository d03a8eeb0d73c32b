#include "ui/widgets/DesktopActions.h"

#include "ui/widgets/TextLabel.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
#include <QVBoxLayout>
#include <QWidget>

namespace qlan {
namespace {

// Holds the actions of one scope; found by walking the parent chain.
class ScopeActions : public QObject {
public:
    ScopeActions(QObject* parent, std::shared_ptr<DesktopActions> actions)
        : QObject(parent)
        , actions(std::move(actions)) {
        setObjectName(kName);
    }
    static constexpr const char* kName = "qlan-desktop-actions";
    std::shared_ptr<DesktopActions> actions;
};

} // namespace

void DesktopActions::install(QObject* scope, std::shared_ptr<DesktopActions> actions) {
    if (auto* existing = scope->findChild<ScopeActions*>(ScopeActions::kName, Qt::FindDirectChildrenOnly)) {
        existing->actions = std::move(actions);
        return;
    }
    new ScopeActions(scope, std::move(actions));
}

std::shared_ptr<DesktopActions> DesktopActions::of(const QObject* from) {
    for (const QObject* obj = from; obj; obj = obj->parent()) {
        if (const auto* scoped =
                obj->findChild<ScopeActions*>(ScopeActions::kName, Qt::FindDirectChildrenOnly))
            return scoped->actions;
    }
    return live();
}

std::shared_ptr<DesktopActions> DesktopActions::live() {
    static const std::shared_ptr<DesktopActions> actions = std::make_shared<LiveDesktopActions>();
    return actions;
}

bool LiveDesktopActions::openURL(const QUrl& url) {
    if (!url.isValid()) return false;
    return QDesktopServices::openUrl(url);
}

bool LiveDesktopActions::openApplication(const QString& bundlePath) {
    // Opening a bundle's file URL launches the application, or brings it to the front when it runs.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(bundlePath));
}

void LiveDesktopActions::revealInFileManager(const QStringList& paths) {
    if (paths.isEmpty()) return;
#ifdef Q_OS_MACOS
    // Finder selects every given item in one window.
    QProcess::startDetached(QStringLiteral("/usr/bin/open"), QStringList{QStringLiteral("-R")} + paths);
#else
    // Other desktops have no common way to select items: open each containing folder once.
    QSet<QString> opened;
    for (const QString& path : paths) {
        const QString folder = QFileInfo(path).absolutePath();
        if (opened.contains(folder)) continue;
        opened.insert(folder);
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
#endif
}

void LiveDesktopActions::copyToPasteboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

std::optional<QString> LiveDesktopActions::chooseFolder(QObject* parentWindow,
                                                        const FolderChooserRequest& request) {
#ifdef Q_OS_MACOS
    Q_UNUSED(parentWindow);
    return appKitChooseFolder(request);
#else
    // The message above the chooser, as the Mac's open panel shows it.
    auto* parentWidget = qobject_cast<QWidget*>(parentWindow);
    QDialog dialog(parentWidget ? parentWidget->window() : nullptr);
    dialog.setWindowTitle(request.message);
    auto* layout = new QVBoxLayout(&dialog);
    auto* message = new TextLabel(request.message);
    message->setObjectName(QStringLiteral("folder-chooser-message"));
    layout->addWidget(message);
    auto* chooser = new QFileDialog(&dialog);
    chooser->setWindowFlags(Qt::Widget);
    chooser->setOption(QFileDialog::DontUseNativeDialog, true);
    chooser->setFileMode(QFileDialog::Directory);
    chooser->setOption(QFileDialog::ShowDirsOnly, true);
    chooser->setAcceptMode(QFileDialog::AcceptOpen);
    chooser->setLabelText(QFileDialog::Accept, request.confirmLabel);
    chooser->setDirectory(QDir::homePath());
    layout->addWidget(chooser);
    QObject::connect(chooser, &QFileDialog::accepted, &dialog, &QDialog::accept);
    QObject::connect(chooser, &QFileDialog::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = chooser->selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return chosen.first();
#endif
}

} // namespace qlan
