#include "remediation/BrewRunner.h"

#include "remediation/ChildRun.h"
#include "remediation/DomainError.h"
#include "remediation/JobStream.h"

#include <QStringList>

namespace qlan {

namespace {

const QString jvmFolder = QStringLiteral("/Library/Java/JavaVirtualMachines");

QString afterFirstAt(const QString& caskName) {
    const qsizetype at = caskName.indexOf(QLatin1Char('@'));
    return at < 0 ? QString() : caskName.mid(at + 1);
}

bool containsAny(const QString& output, const QStringList& markers) {
    for (const QString& marker : markers)
        if (output.contains(marker)) return true;
    return false;
}

// An optional sign, then decimal digits only, within range.
std::optional<int> featureVersion(const QString& text) {
    QString digits = text;
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-'))) digits.remove(0, 1);
    if (digits.isEmpty()) return std::nullopt;
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

const BrewRunner::CaskRecoveryPolicy& BrewRunner::CaskRecoveryPolicy::none() {
    static const CaskRecoveryPolicy empty;
    return empty;
}

bool BrewRunner::isLeftoverFile(const QString& output) {
    return output.contains(QStringLiteral("it seems there is already"));
}

bool BrewRunner::isStaleCaskroom(const QString& output) {
    return output.contains(QStringLiteral("not upgrading")) &&
           output.contains(QStringLiteral("already installed"));
}

bool BrewRunner::isSudoWrapperBypassed(const QString& output) {
    return output.contains(QStringLiteral("a terminal is required")) &&
           output.contains(QStringLiteral("a password is required"));
}

bool BrewRunner::isAuthFailureOrCancel(const QString& output) {
    static const QStringList markers = {QStringLiteral("a password is required"),
                                        QStringLiteral("sudo: a password is required"),
                                        QStringLiteral("user canceled"),
                                        QStringLiteral("sudo_askpass"),
                                        QStringLiteral("askpass"),
                                        QStringLiteral("authentication failed"),
                                        QStringLiteral("execution error: user canceled")};
    return containsAny(output, markers);
}

bool BrewRunner::hasInstalledJDK(const QString& caskName) const {
    const auto javaIn = [&](const QString& entry) {
        return fs->isExecutableFile(jvmFolder + QLatin1Char('/') + entry +
                                    QStringLiteral("/Contents/Home/bin/java"));
    };
    const QString version = afterFirstAt(caskName);
    if (!version.isEmpty()) return javaIn(QStringLiteral("temurin-") + version + QStringLiteral(".jdk"));

    QStringList entries;
    try {
        entries = fs->contentsOfDirectory(jvmFolder);
    } catch (const std::exception&) {
        return false;
    }
    for (const QString& entry : entries)
        if (entry.startsWith(QStringLiteral("temurin-")) && entry.endsWith(QStringLiteral(".jdk")) &&
            javaIn(entry))
            return true;
    return false;
}

QString BrewRunner::temurinVersion(const QString& caskName) {
    const QString version = afterFirstAt(caskName);
    return version.isEmpty() ? QStringLiteral("25") : version;
}

BrewRunner::CaskRecoveryPolicy BrewRunner::temurinPolicy(const BrewRunner& runner) {
    CaskRecoveryPolicy policy;
    policy.staleCaskroom = CaskRecoveryPolicy::StaleCaskroomRecovery{
        [runner] { return !runner.hasInstalledJDK(QStringLiteral("temurin")); },
        QStringLiteral("the JDK is missing from /Library/Java/JavaVirtualMachines/")};

    CaskRecoveryPolicy::PKGFallback fallback;
    fallback.cacheFilePrefix = QStringLiteral("temurin");
    fallback.lookupMessage = [](const QString& version, const QString& architecture) {
        return QStringLiteral("Looking up Temurin ") + version + QStringLiteral(" (") + architecture +
               QStringLiteral(") on Adoptium…");
    };
    fallback.timeoutMessage = QStringLiteral(
        "Adoptium didn't respond in time. Try again in a moment, or use Other Java install methods.");
    fallback.versionFromCaskName = &BrewRunner::temurinVersion;
    fallback.resolveAsset = [adoptium = runner.adoptium](const QString& version, const QString& architecture,
                                                         std::stop_token stop) {
        const std::optional<int> feature = featureVersion(version);
        if (!feature)
            throw DomainError(QString::fromLatin1(pkgErrorDomain), badVersion,
                              QStringLiteral("Bad Temurin major version: ") + version);
        const AdoptiumAPI::AssetMetadata asset = adoptium.latestAsset(*feature, architecture, stop);
        return CaskRecoveryPolicy::PKGFallback::Asset{asset.downloadURL, asset.checksum};
    };
    policy.pkgFallback = std::move(fallback);
    return policy;
}

Stream<BrewRunner::Event> BrewRunner::installFormula(const QString& name) const {
    return startJobStream(
        [runner = *this, name](const JobOutput& out, CancellableProcess& job, std::stop_token stop) {
            Environment environment = applicationEnvironmentWith({});
            environment.insert(QStringLiteral("HOMEBREW_NO_AUTO_UPDATE"), QStringLiteral("1"));
            const ChildRun run =
                runChild(*runner.process, runner.brewPath, {QStringLiteral("install"), name}, environment,
                         job, stop, [&](const QString& line, qint64 omitted) { out.line(line, omitted); });
            if (run.startFailure) {
                out.line(QStringLiteral("Failed to start brew: ") + *run.startFailure);
                out.completed(-1);
            } else if (job.isCanceled()) {
                out.canceled();
            } else {
                out.completed(run.status());
            }
        });
}

} // namespace qlan
