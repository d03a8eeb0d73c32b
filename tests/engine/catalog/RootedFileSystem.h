#pragma once
// The live file system confined to a temporary folder that plays the Mac's "/": every absolute path is
// resolved inside the root, and the home folder is the root's "Users/tester".

#include "platform/LiveFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace qlan::test {

class RootedFileSystem : public FileSystemOperating {
public:
    RootedFileSystem() { QDir(dir_.path()).mkpath(QStringLiteral("Users/tester")); }

    QString root() const { return dir_.path(); }
    QString home() const { return map(QStringLiteral("/Users/tester")); }
    QString map(const QString& path) const {
        return path.startsWith(dir_.path() + QLatin1Char('/')) ? path : dir_.path() + path;
    }

    // Test set-up at Mac paths (parents created).
    void makeFolder(const QString& macPath) const { QDir().mkpath(map(macPath)); }
    void makeFile(const QString& macPath) const {
        QDir().mkpath(QFileInfo(map(macPath)).absolutePath());
        QFile file(map(macPath));
        (void)file.open(QIODevice::WriteOnly);
    }
    void makeHomeFolder(const QString& relative) const {
        makeFolder(QStringLiteral("/Users/tester/") + relative);
    }
    void makeHomeFile(const QString& relative) const {
        makeFile(QStringLiteral("/Users/tester/") + relative);
    }

    bool fileExists(const QString& path) const override { return live_.fileExists(map(path)); }
    bool fileExists(const QString& path, bool* isDirectory) const override {
        return live_.fileExists(map(path), isDirectory);
    }
    bool isExecutableFile(const QString& path) const override { return live_.isExecutableFile(map(path)); }
    QStringList contentsOfDirectory(const QString& path) const override {
        return live_.contentsOfDirectory(map(path));
    }
    void createDirectory(const QString& path, bool intermediates) override {
        live_.createDirectory(map(path), intermediates);
    }
    void removeItem(const QString& path) override { live_.removeItem(map(path)); }
    void moveItem(const QString& from, const QString& to) override { live_.moveItem(map(from), map(to)); }
    FileAttributes attributesOfItem(const QString& path) const override {
        return live_.attributesOfItem(map(path));
    }
    void setAttributes(const FileAttributes& attributes, const QString& path) override {
        live_.setAttributes(attributes, map(path));
    }
    QByteArray readData(const QString& path) const override { return live_.readData(map(path)); }
    QString homeDirectory() const override { return home(); }
    QString readString(const QString& path) const override { return live_.readString(map(path)); }
    void writeString(const QString& text, const QString& path, bool atomically) override {
        live_.writeString(text, map(path), atomically);
    }
    void writeData(const QByteArray& data, const QString& path) override { live_.writeData(data, map(path)); }
    QString urlForDirectory(StandardDirectory, bool) override { return home(); }
    QString temporaryDirectory() const override { return map(QStringLiteral("/tmp")); }

private:
    QTemporaryDir dir_;
    LiveFileSystem live_;
};

} // namespace qlan::test
