#pragma once
// A desktop that records what the screens asked of it instead of opening anything. The folder chooser
// answers with `chosenFolder` (nothing = the user cancelled).

#include "ui/widgets/DesktopActions.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace qlan::test {

class RecordingDesktopActions : public DesktopActions {
public:
    bool openURL(const QUrl& url) override;
    bool openApplication(const QString& bundlePath) override;
    void revealInFileManager(const QStringList& paths) override;
    void copyToPasteboard(const QString& text) override;
    std::optional<QString> chooseFolder(QObject* parentWindow, const FolderChooserRequest& request) override;

    QList<QUrl> openedURLs;
    QStringList openedApplications;
    QList<QStringList> revealed;
    QStringList pasteboardWrites; // every text put on the pasteboard, in order
    QList<FolderChooserRequest> folderRequests;
    std::optional<QString> chosenFolder;
};

} // namespace qlan::test
