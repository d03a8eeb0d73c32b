#include "catalog/LanguageDetector.h"

#include "platform/JdkReleaseFileReader.h"
#include "platform/ProbeSupport.h"

#include <QStringList>

#include <exception>
#include <initializer_list>

namespace qlan {
namespace {

class Checks {
public:
    explicit Checks(const FileSystemOperating& fs)
        : fs_(fs)
        , home_(fs.homeDirectory()) {}

    // The folder under home exists and lists at least one entry; a failed listing counts as empty.
    bool folderWithEntries(const QString& relative) const {
        const auto entries = list(underHome(relative));
        return entries && !entries->isEmpty();
    }
    // Any of the paths under home exists (tried in order).
    bool existsUnderHome(std::initializer_list<const char*> relatives) const {
        for (const char* relative : relatives)
            if (fs_.fileExists(underHome(QString::fromUtf8(relative)))) return true;
        return false;
    }
    bool existsUnderHome(const QString& relative) const { return fs_.fileExists(underHome(relative)); }
    // Any of the absolute paths exists (tried in order).
    bool existsAt(std::initializer_list<const char*> paths) const {
        for (const char* path : paths)
            if (fs_.fileExists(QString::fromUtf8(path))) return true;
        return false;
    }
    // The folder's entry names; absent when it cannot be listed.
    std::optional<QStringList> list(const QString& path) const {
        try {
            return fs_.contentsOfDirectory(path);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

private:
    QString underHome(const QString& relative) const { return probing::appendingPath(home_, relative); }

    const FileSystemOperating& fs_;
    QString home_;
};

using Finding = LanguageDetector::Finding;

bool anyJDK(const QStringList& entries, bool temurinOnly) {
    for (const QString& entry : entries)
        if (entry.endsWith(QLatin1String(".jdk")) &&
            (!temurinOnly || entry.startsWith(QLatin1String("temurin-"))))
            return true;
    return false;
}

Finding detectPython(const Checks& check) {
    if (check.folderWithEntries(QStringLiteral(".local/share/uv/python")))
        return Finding::ours(QStringLiteral("uv"));
    if (check.folderWithEntries(QStringLiteral(".pyenv/versions")))
        return Finding::managedBy(QStringLiteral("pyenv"));
    if (check.existsUnderHome(QStringLiteral(".asdf/installs/python")))
        return Finding::managedBy(QStringLiteral("asdf"));
    if (check.existsUnderHome({"miniconda3", "anaconda3"}))
        return Finding::managedBy(QStringLiteral("conda"));
    if (check.existsAt({"/opt/homebrew/bin/python3", "/usr/local/bin/python3", "/usr/bin/python3"}))
        return Finding::systemInstall();
    return Finding::notFound();
}

Finding detectNode(const Checks& check) {
    if (check.folderWithEntries(QStringLiteral(".local/share/mise/installs/node")))
        return Finding::ours(QStringLiteral("mise"));
    if (check.folderWithEntries(QStringLiteral(".nvm/versions/node")))
        return Finding::managedBy(QStringLiteral("nvm"));
    if (check.existsUnderHome(QStringLiteral(".volta/bin/node")))
        return Finding::managedBy(QStringLiteral("volta"));
    if (check.existsUnderHome(QStringLiteral(".asdf/installs/nodejs")))
        return Finding::managedBy(QStringLiteral("asdf"));
    if (check.existsUnderHome({".local/share/fnm", "Library/Application Support/fnm"}))
        return Finding::managedBy(QStringLiteral("fnm"));
    if (check.existsAt({"/opt/homebrew/bin/node", "/usr/local/bin/node"})) return Finding::systemInstall();
    return Finding::notFound();
}

Finding detectJava(const Checks& check) {
    if (const auto entries = check.list(JdkReleaseFileReader::jvmFolder); entries && anyJDK(*entries, true))
        return Finding::ours(QStringLiteral("Temurin"));
    if (check.folderWithEntries(QStringLiteral(".sdkman/candidates/java")))
        return Finding::managedBy(QStringLiteral("SDKMAN"));
    if (check.folderWithEntries(QStringLiteral(".jenv/versions")))
        return Finding::managedBy(QStringLiteral("jenv"));
    if (const auto entries = check.list(JdkReleaseFileReader::jvmFolder); entries && anyJDK(*entries, false))
        return Finding::systemInstall();
    return Finding::notFound();
}

Finding detectRuby(const Checks& check) {
    if (check.folderWithEntries(QStringLiteral(".local/share/mise/installs/ruby")))
        return Finding::ours(QStringLiteral("mise"));
    if (check.folderWithEntries(QStringLiteral(".rbenv/versions")))
        return Finding::managedBy(QStringLiteral("rbenv"));
    if (check.folderWithEntries(QStringLiteral(".rvm/rubies")))
        return Finding::managedBy(QStringLiteral("rvm"));
    if (check.folderWithEntries(QStringLiteral(".rubies")))
        return Finding::managedBy(QStringLiteral("chruby"));
    if (check.existsUnderHome(QStringLiteral(".asdf/installs/ruby")))
        return Finding::managedBy(QStringLiteral("asdf"));
    if (check.existsAt({"/opt/homebrew/opt/ruby/bin/ruby", "/usr/bin/ruby"})) return Finding::systemInstall();
    return Finding::notFound();
}

Finding detectRust(const Checks& check) {
    if (check.folderWithEntries(QStringLiteral(".rustup/toolchains")) ||
        check.existsUnderHome(QStringLiteral(".cargo/bin/rustc")))
        return Finding::ours(QStringLiteral("rustup"));
    if (check.existsAt({"/opt/homebrew/bin/rustc"})) return Finding::systemInstall();
    return Finding::notFound();
}

} // namespace

LanguageDetector::Finding LanguageDetector::detect(QLANLanguage language) const {
    if (!fs) return Finding::notFound();
    const Checks check(*fs);
    switch (language) {
    case QLANLanguage::python:
        return detectPython(check);
    case QLANLanguage::node:
        return detectNode(check);
    case QLANLanguage::java:
        return detectJava(check);
    case QLANLanguage::ruby:
        return detectRuby(check);
    case QLANLanguage::rust:
        return detectRust(check);
    }
    return Finding::notFound();
}

std::optional<QString> LanguageDetector::statusText(const Finding& finding) {
    switch (finding.kind) {
    case Finding::Kind::ours:
        return QStringLiteral("already set up (") + finding.name + QStringLiteral(")");
    case Finding::Kind::managedBy:
        return QStringLiteral("managed by ") + finding.name +
               QStringLiteral(" — installing ours may conflict");
    case Finding::Kind::notFound:
        return std::nullopt;
    case Finding::Kind::systemInstall:
        return QStringLiteral("a system install was found");
    }
    return std::nullopt;
}

} // namespace qlan
