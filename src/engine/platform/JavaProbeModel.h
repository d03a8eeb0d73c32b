#pragma once
// What the Java probes find: installed JDKs and the raw results of one probing run.

#include <QHashFunctions>
#include <QList>
#include <QStringList>
#include <QString>

#include <optional>

namespace qlan {

// One installed JDK. `path` is its home folder (the folder JAVA_HOME should name), without a trailing
// slash. `id` is the path.
struct JDKInfo {
    QString version;
    QString vendor;
    QString architecture;
    QString path;

    const QString& id() const { return path; }
    friend bool operator==(const JDKInfo&, const JDKInfo&) = default;
};

inline size_t qHash(const JDKInfo& info, size_t seed = 0) {
    return qHashMulti(seed, info.version, info.vendor, info.architecture, info.path);
}

struct ProbeBundle {
    std::optional<QString> whichJava;
    QList<JDKInfo> installedJDKs;
    QStringList jvmDirContents;
    std::optional<QString> javaHomeInActiveShell;
    friend bool operator==(const ProbeBundle&, const ProbeBundle&) = default;
};

} // namespace qlan
