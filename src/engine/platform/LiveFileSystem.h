#pragma once
// The file system of this machine. Its writes replace a file in one step (AtomicFileWriter), its edit
// locks hold across programs (LiveFileEditHold), and its temporary files go to the user's own temporary
// folder (UserTemporaryFolder).

#include "platform/FileSystemOperating.h"

namespace qlan {

class LiveFileSystem : public FileSystemOperating {
public:
    bool fileExists(const QString& path) const override;
    bool fileExists(const QString& path, bool* isDirectory) const override;
    bool isExecutableFile(const QString& path) const override;
    QStringList contentsOfDirectory(const QString& path) const override;
    void createDirectory(const QString& path, bool withIntermediateDirectories) override;
    void removeItem(const QString& path) override;
    void moveItem(const QString& source, const QString& destination) override;
    FileAttributes attributesOfItem(const QString& path) const override;
    void setAttributes(const FileAttributes& attributes, const QString& path) override;
    QByteArray readData(const QString& path) const override;
    QString homeDirectory() const override;
    QString readString(const QString& path) const override;
    void writeString(const QString& text, const QString& path, bool atomically) override;
    void writeData(const QByteArray& data, const QString& path) override;
    QString urlForDirectory(StandardDirectory which, bool create) override;
    QString temporaryDirectory() const override;
    void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) override;
    // Held across programs (LiveFileEditHold), with the lock files in the user's own temporary folder.
    std::unique_ptr<FileEditHold> lockForEditing(const QString& path, const EditLockWait& wait) override;
    // Confined to `root` (ConfinedFolderWriter).
    bool createDirectoryBelow(const QString& root, const QString& relative, bool keepExisting) override;
    bool writeFileBelow(const QByteArray& data, const QString& root, const QString& relative, int permissions,
                        bool keepExisting) override;
};

} // namespace qlan
