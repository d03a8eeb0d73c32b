#pragma once
// Real folder trees in tests: what a tree holds (every entry, hidden ones too, links not followed), and
// a plain copy of a tree of this machine into a sandbox.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>

#include <sys/stat.h>

namespace qlan::test {

// Relative path -> "<mode in octal> <contents>" for files, "dir" for folders, "link" for links.
inline QMap<QString, QString> treeOf(const QString& root) {
    QMap<QString, QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        if (S_ISLNK(st.st_mode)) {
            entries.insert(relative, QStringLiteral("link"));
        } else if (S_ISDIR(st.st_mode)) {
            entries.insert(relative, QStringLiteral("dir"));
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            entries.insert(relative, QString::number(st.st_mode & 0777, 8) + QLatin1Char(' ') +
                                         QString::fromUtf8(file.readAll()));
        }
    }
    return entries;
}

// Copies files and folders (keeping permissions); links are not expected.
inline void copyRealTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry :
         QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir())
            copyRealTree(entry.filePath(), target);
        else
            QFile::copy(entry.filePath(), target);
    }
}

} // namespace qlan::test
