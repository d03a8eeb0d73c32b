#include "remediation/TemplateTreeCopier.h"

#include "platform/PlatformError.h"
#include "platform/ProbeSupport.h"
#include "remediation/FolderCopy.h"

namespace qlan {
namespace {

FolderCopy::Rules templateRules(bool intoExisting, QStringList& written) {
    FolderCopy::Rules rules;
    rules.dotPrefixMeansHidden = true;
    rules.keepExisting = intoExisting;
    rules.onExisting = [&written](FolderCopy& copy, const QString& target, const QString& name,
                                  const QByteArray& bytes, int permissions) {
        if (!TemplateTreeCopier::exampleCopyNames().contains(name)) return; // the user's item, not reported
        // An item already at the example name is the user's too: it stays, and the name is reported all
        // the same.
        copy.writeBeside(target, TemplateTreeCopier::exampleName(name), bytes, permissions);
        written.append(name);
    };
    return rules;
}

} // namespace

const QSet<QString>& TemplateTreeCopier::exampleCopyNames() {
    // Read on job threads, also while the process ends: never destroyed.
    static const auto* const names =
        new QSet<QString>{QStringLiteral("CLAUDE.md"), QStringLiteral("AGENTS.md")};
    return *names;
}

void TemplateTreeCopier::copyTree(const QString& from, const QString& to, bool intoExisting,
                                  QStringList& written, QStringList* notes) const {
    FolderCopy copy(fs, templateRules(intoExisting, written));
    try {
        copy.copyContents(from, to);
    } catch (...) {
        if (notes) notes->append(copy.notes());
        throw;
    }
    if (notes) notes->append(copy.notes());
}

TemplateTreeCopier::Result TemplateTreeCopier::createProject(const QString& templatePath,
                                                             const QString& destination,
                                                             bool intoExisting) const {
    if (!fs->fileExists(templatePath))
        return {{QStringLiteral("Couldn't find the bundled project template at %1.").arg(templatePath)},
                false};
    const QString shown = displayPath(destination);
    const bool destinationExists = probing::itemExists(fs.get(), destination);
    QStringList written;
    QStringList notes;

    if (!intoExisting) {
        if (destinationExists)
            return {{QStringLiteral("A project already exists at %1 — leaving it as is.").arg(shown)}, true};
        FolderCopy copy(fs, templateRules(false, written));
        try {
            copy.copyToNewFolder(templatePath, destination);
        } catch (const std::exception& error) {
            return {
                {QStringLiteral("Couldn't create the project at %1: %2").arg(shown, errorDescription(error))},
                false};
        }
        return {QStringList{QStringLiteral("Created your project at %1.").arg(shown)} + copy.notes(), true};
    }

    try {
        if (!destinationExists) fs->createDirectory(destination, true);
        copyTree(templatePath, destination, true, written, &notes);
    } catch (const std::exception& error) {
        return {
            {QStringLiteral("Couldn't add the example files to %1: %2").arg(shown, errorDescription(error))},
            false};
    }
    QStringList lines{QStringLiteral("Added the example files to %1.").arg(shown)};
    if (!written.isEmpty()) {
        QStringList examples;
        for (const QString& name : written)
            examples.append(exampleName(name));
        lines.append(QStringLiteral("You already had %1 — wrote %2 instead (your files are untouched).")
                         .arg(written.join(QStringLiteral(" and ")), examples.join(QStringLiteral(" and "))));
    }
    return {lines + notes, true};
}

QString TemplateTreeCopier::displayPath(const QString& path) const {
    return probing::homeRelativePath(fs.get(), path);
}

QString TemplateTreeCopier::exampleName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1) return name + QStringLiteral("-example");
    return name.left(dot) + QStringLiteral("-example") + name.mid(dot);
}

} // namespace qlan
