#include "remediation/FolderCopy.h"

#include "platform/PlatformError.h"
#include "remediation/FileEditLock.h"

#include <QFileInfo>
#include <QUuid>

#include <algorithm>

namespace qlan {
namespace {

const QString hiddenPrefix = QStringLiteral("dot.");
const QString stagingInfix = QStringLiteral(".incoming-");

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

void FolderCopy::copyContents(const QString& from, const QString& to) {
    copyFolder(from, to, QString());
}

void FolderCopy::copyFolder(const QString& from, const QString& to, const QString& relative) {
    QStringList names = fs_->contentsOfDirectory(from);
    std::sort(names.begin(), names.end());
    for (const QString& name : names) {
        QString targetName = name;
        if (rules_.dotPrefixMeansHidden && name.startsWith(hiddenPrefix))
            targetName = QLatin1Char('.') + name.mid(hiddenPrefix.size());
        if (name == QLatin1String(".git") || targetName == QLatin1String(".git")) continue;

        const QString source = joined(from, name);
        const QString target = joined(to, targetName);
        const QString shown = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
        const FileAttributes attributes =
            fs_->attributesOfItem(source); // the entry itself, not a link's target
        if (attributes.isSymbolicLink.value_or(false)) {
            notes_.append(QStringLiteral("Left out %1 — it’s a symbolic link.").arg(shown));
            continue;
        }
        if (attributes.isDirectory.value_or(false)) {
            bool isFolder = false;
            if (!fs_->fileExists(target, &isFolder) || !isFolder) fs_->createDirectory(target, true);
            copyFolder(source, target, shown);
            continue;
        }
        const QByteArray bytes = fs_->readData(source);
        const int permissions = attributes.posixPermissions.value_or(0644);
        if (rules_.keepExisting && fs_->fileExists(target)) {
            if (rules_.onExisting) rules_.onExisting(*this, to, targetName, bytes, permissions);
            continue;
        }
        writeFile(target, bytes, permissions);
    }
}

void FolderCopy::copyToNewFolder(const QString& from, const QString& destination) {
    const QFileInfo info(destination);
    const QString parent = info.absolutePath();
    const QString stagingPrefix = QLatin1Char('.') + info.fileName() + stagingInfix;
    const FileEditLock lock(*fs_, destination); // the engine makes one copy to a place at a time
    fs_->createDirectory(parent, true);
    removeLeftovers(parent, stagingPrefix);
    const QString staging =
        joined(parent, stagingPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces));
    try {
        fs_->createDirectory(staging, false);
        copyContents(from, staging);
        fs_->moveItem(staging, destination);
    } catch (...) {
        try {
            if (fs_->fileExists(staging)) fs_->removeItem(staging);
        } catch (const std::exception&) {
            // The copy's own error is the one to report.
        }
        throw;
    }
}

void FolderCopy::removeLeftovers(const QString& parent, const QString& stagingPrefix) {
    // A copy cut short (the program ended mid-copy) leaves its hidden staging folder; the next copy to
    // the same place clears it. Only names this class makes are touched.
    QStringList names;
    try {
        names = fs_->contentsOfDirectory(parent);
    } catch (const std::exception&) {
        return; // the copy itself reports what is wrong with the folder
    }
    for (const QString& name : names) {
        if (!name.startsWith(stagingPrefix) || QUuid::fromString(name.mid(stagingPrefix.size())).isNull())
            continue;
        try {
            fs_->removeItem(joined(parent, name));
        } catch (const std::exception&) {
            // Still there: harmless beside the new copy, which has a name of its own.
        }
    }
}

void FolderCopy::writeFile(const QString& path, const QByteArray& bytes, int permissions) {
    FileWriteOptions options;
    options.permissions = permissions & 0777;
    fs_->writeFile(bytes, path, options);
}

} // namespace qlan
