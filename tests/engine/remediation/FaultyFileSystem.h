#pragma once
// A sandbox file system whose writes fail on chosen paths, as a full disk, a read-only folder or a
// failing rename would make them fail: the error is thrown before anything is written. Writes can also
// be watched or slowed down (`beforeWrite` runs first, on the writing thread), and so can reads of a file
// (`beforeRead`, on the reading thread).

#include "platform/PlatformError.h"
#include "support/ForwardingFileSystem.h"

#include <cerrno>
#include <functional>

namespace qlan::test {

class FaultyFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    // Writes (text, data, permissions, new folders, also below a folder) to a path for which this answers
    // true fail.
    std::function<bool(const QString& path)> failWrite;
    // The error's description; empty: "Couldn't write “<path>”: Permission denied".
    QString description;
    // Called before every write above is tried.
    std::function<void(const QString& path)> beforeWrite;
    // Called before a file's text or data is read.
    std::function<void(const QString& path)> beforeRead;

    QString readString(const QString& path) const override {
        if (beforeRead) beforeRead(path);
        return ForwardingFileSystem::readString(path);
    }
    QByteArray readData(const QString& path) const override {
        if (beforeRead) beforeRead(path);
        return ForwardingFileSystem::readData(path);
    }

    void writeString(const QString& text, const QString& path, bool atomically) override {
        check(path);
        ForwardingFileSystem::writeString(text, path, atomically);
    }
    void writeData(const QByteArray& data, const QString& path) override {
        check(path);
        ForwardingFileSystem::writeData(data, path);
    }
    void writeFile(const QByteArray& data, const QString& path, const FileWriteOptions& options) override {
        check(path);
        ForwardingFileSystem::writeFile(data, path, options);
    }
    void setAttributes(const FileAttributes& attributes, const QString& path) override {
        check(path);
        ForwardingFileSystem::setAttributes(attributes, path);
    }
    void createDirectory(const QString& path, bool withIntermediateDirectories) override {
        check(path);
        ForwardingFileSystem::createDirectory(path, withIntermediateDirectories);
    }
    bool createDirectoryBelow(const QString& root, const QString& relative, bool keepExisting) override {
        check(root + QLatin1Char('/') + relative);
        return ForwardingFileSystem::createDirectoryBelow(root, relative, keepExisting);
    }
    bool writeFileBelow(const QByteArray& data, const QString& root, const QString& relative, int permissions,
                        bool keepExisting) override {
        check(root + QLatin1Char('/') + relative);
        return ForwardingFileSystem::writeFileBelow(data, root, relative, permissions, keepExisting);
    }

private:
    void check(const QString& path) const {
        if (beforeWrite) beforeWrite(path);
        if (failWrite && failWrite(path))
            throw PlatformError(description.isEmpty()
                                    ? QStringLiteral("Couldn't write “%1”: Permission denied").arg(path)
                                    : description,
                                EACCES);
    }
};

} // namespace qlan::test
