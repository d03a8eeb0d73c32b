#pragma once
// The file system of a sandbox: every path argument is mapped inside the sandbox's root, then the live
// file system does the work. The user's folders are real folders inside the sandbox.

#include "platform/LiveFileSystem.h"
#include "support/SandboxLayout.h"

namespace qlan::test {

class SandboxFileSystem : public FileSystemOperating {
public:
    explicit SandboxFileSystem(SandboxLayout layout)
        : layout_(std::move(layout)) {}

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
    // The real home folder inside the sandbox (root + "/Users/tester").
    QString homeDirectory() const override;
    QString readString(const QString& path) const override;
    void writeString(const QString& text, const QString& path, bool atomically) override;
    void writeData(const QByteArray& data, const QString& path) override;
    // home + "/Library/Application Support" or home + "/Library/Caches", as on a Mac.
    QString urlForDirectory(StandardDirectory which, bool create) override;
    // root + "/private/tmp".
    QString temporaryDirectory() const override;
    void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) override;
    // The live lock of the mapped path, its lock files in the sandbox's temporary folder, so that every
    // process that works in one sandbox shares them.
    std::unique_ptr<FileEditHold> lockForEditing(const QString& path, const EditLockWait& wait) override;
    // The live walk below the mapped root: links inside the sandbox are refused as on a Mac.
    bool createDirectoryBelow(const QString& root, const QString& relative, bool keepExisting) override;
    bool writeFileBelow(const QByteArray& data, const QString& root, const QString& relative, int permissions,
                        bool keepExisting) override;

private:
    QString map(const QString& path) const { return layout_.map(path); }

    SandboxLayout layout_;
    LiveFileSystem live_;
};

} // namespace qlan::test
