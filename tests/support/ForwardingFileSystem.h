#pragma once
// A file system that passes every operation to another one. Tests derive from it and override the
// operations they want to fail or observe.

#include "platform/FileSystemOperating.h"

#include <memory>

namespace qlan::test {

class ForwardingFileSystem : public FileSystemOperating {
public:
    explicit ForwardingFileSystem(std::shared_ptr<FileSystemOperating> inner)
        : inner_(std::move(inner)) {}

    bool fileExists(const QString& path) const override { return inner_->fileExists(path); }
    bool fileExists(const QString& path, bool* isDirectory) const override {
        return inner_->fileExists(path, isDirectory);
    }
    bool isExecutableFile(const QString& path) const override { return inner_->isExecutableFile(path); }
    QStringList contentsOfDirectory(const QString& path) const override {
        return inner_->contentsOfDirectory(path);
    }
    void createDirectory(const QString& path, bool withIntermediateDirectories) override {
        inner_->createDirectory(path, withIntermediateDirectories);
    }
    void removeItem(const QString& path) override { inner_->removeItem(path); }
    void moveItem(const QString& source, const QString& destination) override {
        inner_->moveItem(source, destination);
    }
    FileAttributes attributesOfItem(const QString& path) const override {
        return inner_->attributesOfItem(path);
    }
    void setAttributes(const FileAttributes& attributes, const QString& path) override {
        inner_->setAttributes(attributes, path);
    }
    QByteArray readData(const QString& path) const override { return inner_->readData(path); }
    QString homeDirectory() const override { return inner_->homeDirectory(); }
    QString readString(const QString& path) const override { return inner_->readString(path); }
    void writeString(const QString& text, const QString& path, bool atomically) override {
        inner_->writeString(text, path, atomically);
    }
    void writeData(const QByteArray& data, const QString& path) override { inner_->writeData(data, path); }
    QString urlForDirectory(StandardDirectory which, bool create) override {
        return inner_->urlForDirectory(which, create);
    }
    QString temporaryDirectory() const override { return inner_->temporaryDirectory(); }
    void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) override {
        inner_->writeFile(data, path, options);
    }
    std::unique_ptr<FileEditHold> lockForEditing(const QString& path, const EditLockWait& wait) override {
        return inner_->lockForEditing(path, wait);
    }
    bool createDirectoryBelow(const QString& root, const QString& relative, bool keepExisting) override {
        return inner_->createDirectoryBelow(root, relative, keepExisting);
    }
    bool writeFileBelow(const QByteArray& data, const QString& root, const QString& relative, int permissions,
                        bool keepExisting) override {
        return inner_->writeFileBelow(data, root, relative, permissions, keepExisting);
    }

protected:
    std::shared_ptr<FileSystemOperating> inner_;
};

} // namespace qlan::test
