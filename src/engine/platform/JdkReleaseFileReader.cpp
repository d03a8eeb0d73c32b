#include "platform/JdkReleaseFileReader.h"

#include "platform/JavaVersion.h"
#include "platform/ProbeSupport.h"
#include "platform/PropertyListReader.h"

#include <QSet>

namespace qlan {
namespace {

bool isAcceptedVersion(const QString& version) {
    return JavaVersion::parseMajor(JavaVersion::wrap(version)).has_value();
}

} // namespace

QMap<QString, QString> JdkReleaseFileReader::parse(const QString& text) {
    QMap<QString, QString> entries;
    for (const QString& line : probing::splitLines(text)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        const QString key = probing::trimSpacesAndTabs(line.left(equals));
        QString value = probing::trimSpacesAndTabs(line.mid(equals + 1));
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (!key.isEmpty()) entries.insert(key, value);
    }
    return entries;
}

QList<JDKInfo> JdkReleaseFileReader::scan(const QStringList& listing,
                                          const QList<JDKInfo>& javaHomeJDKs) const {
    QSet<QString> known;
    for (const JDKInfo& jdk : javaHomeJDKs) {
        if (!jdk.path.startsWith(jvmFolderPrefix)) continue;
        const QStringList pieces = jdk.path.mid(jvmFolderPrefix.size()).split(u'/', Qt::SkipEmptyParts);
        if (!pieces.isEmpty()) known.insert(pieces.first());
    }

    QList<JDKInfo> found;
    for (const QString& name : listing) {
        if (known.contains(name)) continue;
        const QString bundle = jvmFolderPrefix + name;
        const QString home = bundle + QStringLiteral("/Contents/Home");
        if (auto jdk = fromReleaseFile(home))
            found.append(*jdk);
        else if (auto plistJdk = fromInfoPlist(bundle, home))
            found.append(*plistJdk);
    }
    return found;
}

std::optional<JDKInfo> JdkReleaseFileReader::fromReleaseFile(const QString& home) const {
    const std::optional<QString> text = probing::readText(fs.get(), home + QStringLiteral("/release"));
    if (!text) return std::nullopt;
    const QMap<QString, QString> entries = parse(*text);
    const auto version = entries.constFind(QStringLiteral("JAVA_VERSION"));
    if (version == entries.cend() || !isAcceptedVersion(*version)) return std::nullopt;
    return JDKInfo{*version, entries.value(QStringLiteral("IMPLEMENTOR")), QString(), home};
}

std::optional<JDKInfo> JdkReleaseFileReader::fromInfoPlist(const QString& bundle, const QString& home) const {
    if (!fs) return std::nullopt;
    QByteArray data;
    try {
        data = fs->readData(bundle + QStringLiteral("/Contents/Info.plist"));
    } catch (...) {
        return std::nullopt;
    }
    const auto version =
        PropertyListReader::string(data, {QStringLiteral("JavaVM"), QStringLiteral("JVMVersion")});
    if (!version || !isAcceptedVersion(*version)) return std::nullopt;
    return JDKInfo{*version, QString(), QString(), home};
}

} // namespace qlan
