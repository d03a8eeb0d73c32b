#pragma once
// The `release` file of a JDK's home folder, and the scan of the system JDK folder for bundles that
// `java_home` did not report.

#include "platform/FileSystemOperating.h"
#include "platform/JavaProbeModel.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

namespace qlan {

struct JdkReleaseFileReader {
    std::shared_ptr<FileSystemOperating> fs;

    // Constants that nothing destroys: probe and job threads read them, also while the process ends.
    static constexpr QLatin1String jvmFolder{"/Library/Java/JavaVirtualMachines"};
    static constexpr QLatin1String jvmFolderPrefix{"/Library/Java/JavaVirtualMachines/"};

    // KEY=value lines; values in double quotes lose the outer pair; later keys replace earlier ones.
    static QMap<QString, QString> parse(const QString& text);

    // The JDKs among `listing` (entry names of the JDK folder) that are not the bundles of the
    // `java_home` entries, in listing order, each read from its release file or else its Info.plist.
    // Every read goes through `fs`. Never throws.
    QList<JDKInfo> scan(const QStringList& listing, const QList<JDKInfo>& javaHomeJDKs) const;

private:
    std::optional<JDKInfo> fromReleaseFile(const QString& home) const;
    std::optional<JDKInfo> fromInfoPlist(const QString& bundle, const QString& home) const;
};

} // namespace qlan
