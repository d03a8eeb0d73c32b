#include "remediation/ShellConfigurator.h"

#include "platform/ProbeSupport.h"
#include "remediation/FileAppendWriter.h"

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

bool ShellConfigurator::status() const {
    const std::optional<QString> zprofile = probing::readText(fs.get(), zprofilePath());
    if (!zprofile || !FileAppendWriter::hasActiveLine(*zprofile, zprofileNeedle)) return false;
    const std::optional<QString> zshrc = probing::readText(fs.get(), zshrcPath());
    if (!zshrc || !FileAppendWriter::hasActiveLine(*zshrc, zshrcNeedle)) return false;
    return probing::exists(fs.get(), envPath(), nullptr);
}

} // namespace qlan
