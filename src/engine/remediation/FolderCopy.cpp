#include "remediation/FolderCopy.h"

#include "platform/PlatformError.h"
#include "remediation/FileEditLock.h"

#include <QFileInfo>
#include <QUuid>

#include <algorithm>

namespace qlan {
namespace {

// Constants that nothing destroys: copies run on job threads, also while the process ends.
constexpr QLatin1String hiddenPrefix("dot.");
constexpr QLatin1String stagingInfix(".incoming-");

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// A path relative to a folder, "" standing for the folder itself.
QString below(const QString& relative, const QString& name) {
    return relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
}

QString leftOutLink(const QString& shown) {
    return QStringLiteral("Left out %1 — it’s a symbolic link.").arg(shown);
}

} // namespace

void FolderCopy::copyContents(const QString& from, const QString& to) {
    root_ = to;
    copyFolder(from, QString(), QString());
}

void FolderCopy::copyFolder(const QString& from, const QString& target, const QString& shown) {
    QStringList names = fs_->contentsOfDirectory(from);
    std::sort(names.begin(), names.end());
    for (const QString& name : names) {
        QString targetName = name;
        if (rules_.dotPrefixMeansHidden && name.startsWith(hiddenPrefix))
            targetName = QLatin1Char('.') + name.mid(hiddenPrefix.size());
        if (name == QLatin1String(".git") || targetName == QLatin1String(".git")) continue;

        const QString source = joined(from, name);
        const QString item = below(target, targetName);
        const QString itemShown = below(shown, name);
        const FileAttributes attributes =
            fs_->attributesOfItem(source); // the entry itself, not a link's target
        if (attributes.isSymbolicLink.value_or(false)) {
            notes_.append(leftOutLink(itemShown));
            continue;
        }
        if (attributes.isDirectory.value_or(false)) {
            // A link of the user's where the folder goes is never entered (named as in the folder filled).
            if (fs_->createDirectoryBelow(root_, item, rules_.keepExisting))
                copyFolder(source, item, itemShown);
            else
                notes_.append(leftOutLink(item));
            continue;
        }
        const QByteArray bytes = fs_->readData(source);
        const int permissions = attributes.posixPermissions.value_or(0644);
        if (!fs_->writeFileBelow(bytes, root_, item, permissions & 0777, rules_.keepExisting) &&
            rules_.onExisting)
            rules_.onExisting(*this, item, targetName, bytes, permissions);
    }
}

void FolderCopy::copyToNewFolder(const QString& from, const QString& destination) {
    const QFileInfo info(destination);
    const QString parent = info.absolutePath();
    const QString stagingPrefix = QLatin1Char('.') + info.fileName() + stagingInfix;
    const FileEditLock lock(*fs_, destination); // the engine makes one copy to a place at a time
    fs_->createDirectory(parent, true);
    removeLeftovers(parent, stagingPrefix);
    const QString stagingName = stagingPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString staging = joined(parent, stagingName);
    try {
        fs_->createDirectory(staging, false); // fails on anything already there, a link included
        root_ = parent;
        copyFolder(from, stagingName, QString());
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

void FolderCopy::writeBeside(const QString& target, const QString& name, const QByteArray& bytes,
                             int permissions) {
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    fs_->writeFileBelow(bytes, root_, slash < 0 ? name : target.left(slash + 1) + name, permissions & 0777,
                        true);
}

} // namespace qlan
