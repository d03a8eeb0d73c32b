#include "remediation/ShellConfigurator.h"

#include "remediation/FileAppendWriter.h"

#include <exception>

namespace qlan {

QString ShellConfigurator::zprofilePath() const {
    return fs->homeDirectory() + QStringLiteral("/.zprofile");
}

QString ShellConfigurator::zshrcPath() const {
    return fs->homeDirectory() + QStringLiteral("/.zshrc");
}

QString ShellConfigurator::envPath() const {
    return fs->homeDirectory() + QStringLiteral("/.env");
}

std::optional<QString> ShellConfigurator::readText(const QString& path) const {
    try {
        if (!fs->fileExists(path)) return std::nullopt;
        return fs->readString(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool ShellConfigurator::status() const {
    const std::optional<QString> zprofile = readText(zprofilePath());
    if (!zprofile || !FileAppendWriter::hasActiveLine(*zprofile, zprofileNeedle)) return false;
    const std::optional<QString> zshrc = readText(zshrcPath());
    if (!zshrc || !FileAppendWriter::hasActiveLine(*zshrc, zshrcNeedle)) return false;
    try {
        return fs->fileExists(envPath());
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace qlan
