#pragma once
// What the screens ask of the desktop besides the machine services: opening a web or file URL in its
// default application, launching an application bundle, revealing files in the file manager, putting
// text on the pasteboard and asking the user for a folder. Screens reach it through the widget tree
// (`of`), so that a test can put a recording double above the screen it drives.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

namespace qlan {

// The folder chooser's texts: its message and the label of its confirm button.
struct FolderChooserRequest {
    QString message;
    QString confirmLabel;
    friend bool operator==(const FolderChooserRequest&, const FolderChooserRequest&) = default;
};

class DesktopActions {
public:
    virtual ~DesktopActions() = default;

    // Opens the URL in the default application (a web page in the browser). Returns whether the
    // desktop accepted the request.
    virtual bool openURL(const QUrl& url) = 0;
    // Launches or activates the application bundle at the path.
    virtual bool openApplication(const QString& bundlePath) = 0;
    // Shows the locations in the file manager (on a Mac, one Finder window selecting all of them).
    virtual void revealInFileManager(const QStringList& paths) = 0;
    // Replaces the pasteboard's contents with the text.
    virtual void copyToPasteboard(const QString& text) = 0;
    // Asks for one folder in a modal chooser over `parentWindow`'s window; the chosen folder's path, or
    // nothing when the user cancels.
    virtual std::optional<QString> chooseFolder(QObject* parentWindow,
                                                const FolderChooserRequest& request) = 0;

    // Puts `actions` in effect for `scope` and everything below it in the object tree.
    static void install(QObject* scope, std::shared_ptr<DesktopActions> actions);
    // The actions nearest above `from` (itself included); the live desktop when none was installed.
    static std::shared_ptr<DesktopActions> of(const QObject* from);
    // The live desktop, built once on first use.
    static std::shared_ptr<DesktopActions> live();
};

// The live desktop on QDesktopServices and QClipboard; the folder chooser is AppKit's open panel on a
// Mac and elsewhere QFileDialog under the message.
class LiveDesktopActions : public DesktopActions {
public:
    bool openURL(const QUrl& url) override;
    bool openApplication(const QString& bundlePath) override;
    void revealInFileManager(const QStringList& paths) override;
    void copyToPasteboard(const QString& text) override;
    std::optional<QString> chooseFolder(QObject* parentWindow, const FolderChooserRequest& request) override;
};

#ifdef Q_OS_MACOS
// The open panel for one folder, with the request's message and confirm label. (DesktopActionsMac.mm)
std::optional<QString> appKitChooseFolder(const FolderChooserRequest& request);
#endif

} // namespace qlan
