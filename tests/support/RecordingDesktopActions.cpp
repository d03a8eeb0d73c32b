#include "support/RecordingDesktopActions.h"

namespace qlan::test {

bool RecordingDesktopActions::openURL(const QUrl& url) {
    openedURLs.append(url);
    return true;
}

bool RecordingDesktopActions::openApplication(const QString& bundlePath) {
    openedApplications.append(bundlePath);
    return true;
}

void RecordingDesktopActions::revealInFileManager(const QStringList& paths) {
    revealed.append(paths);
}

void RecordingDesktopActions::copyToPasteboard(const QString& text) {
    pasteboardWrites.append(text);
}

std::optional<QString> RecordingDesktopActions::chooseFolder(QObject*, const FolderChooserRequest& request) {
    folderRequests.append(request);
    return chosenFolder;
}

} // namespace qlan::test
