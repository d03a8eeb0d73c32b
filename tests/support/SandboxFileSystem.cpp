#include "support/SandboxFileSystem.h"

#include "platform/LiveFileEditHold.h"

namespace qlan::test {

bool SandboxFileSystem::fileExists(const QString& path) const {
    return live_.fileExists(map(path));
}

bool SandboxFileSystem::fileExists(const QString& path, bool* isDirectory) const {
    return live_.fileExists(map(path), isDirectory);
}

bool SandboxFileSystem::isExecutableFile(const QString& path) const {
    return live_.isExecutableFile(map(path));
}

QStringList SandboxFileSystem::contentsOfDirectory(const QString& path) const {
    return live_.contentsOfDirectory(map(path));
}

void SandboxFileSystem::createDirectory(const QString& path, bool withIntermediateDirectories) {
    live_.createDirectory(map(path), withIntermediateDirectories);
}

void SandboxFileSystem::removeItem(const QString& path) {
    live_.removeItem(map(path));
}

void SandboxFileSystem::moveItem(const QString& source, const QString& destination) {
    live_.moveItem(map(source), map(destination));
}

FileAttributes SandboxFileSystem::attributesOfItem(const QString& path) const {
    return live_.attributesOfItem(map(path));
}

void SandboxFileSystem::setAttributes(const FileAttributes& attributes, const QString& path) {
    live_.setAttributes(attributes, map(path));
}

QByteArray SandboxFileSystem::readData(const QString& path) const {
    return live_.readData(map(path));
}

QString SandboxFileSystem::homeDirectory() const {
    return layout_.home;
}

QString SandboxFileSystem::readString(const QString& path) const {
    return live_.readString(map(path));
}

void SandboxFileSystem::writeString(const QString& text, const QString& path, bool atomically) {
    live_.writeString(text, map(path), atomically);
}

void SandboxFileSystem::writeData(const QByteArray& data, const QString& path) {
    live_.writeData(data, map(path));
}

void SandboxFileSystem::writeFile(const QByteArray& data, const QString& path,
                                  const FileWriteOptions& options) {
    live_.writeFile(data, map(path), options);
}

std::unique_ptr<FileEditHold> SandboxFileSystem::lockForEditing(const QString& path,
                                                                const EditLockWait& wait) {
    return LiveFileEditHold::hold(map(path), LiveFileEditHold::lockFolder(temporaryDirectory()), wait);
}

bool SandboxFileSystem::createDirectoryBelow(const QString& root, const QString& relative,
                                             bool keepExisting) {
    return live_.createDirectoryBelow(map(root), relative, keepExisting);
}

bool SandboxFileSystem::writeFileBelow(const QByteArray& data, const QString& root, const QString& relative,
                                       int permissions, bool keepExisting) {
    return live_.writeFileBelow(data, map(root), relative, permissions, keepExisting);
}

QString SandboxFileSystem::urlForDirectory(StandardDirectory which, bool create) {
    const QString path = layout_.home + (which == StandardDirectory::applicationSupport
                                             ? QStringLiteral("/Library/Application Support")
                                             : QStringLiteral("/Library/Caches"));
    if (create) live_.createDirectory(path, true);
    return path;
}

QString SandboxFileSystem::temporaryDirectory() const {
    return layout_.root + QStringLiteral("/private/tmp");
}

} // namespace qlan::test
