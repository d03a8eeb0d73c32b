#include "ui/widgets/DesktopActions.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
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
    auto* parentWidget = qobject_cast<QWidget*>(parentWindow);
    QFileDialog dialog(parentWidget ? parentWidget->window() : nullptr);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setWindowTitle(request.message);
    dialog.setLabelText(QFileDialog::Accept, request.confirmLabel);
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return chosen.first();
}

} // namespace qlan
