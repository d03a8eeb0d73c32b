#pragma once
// The Java probes: what Java is on this Mac and how it is wired up.

#include "platform/FileSystemOperating.h"
#include "platform/JavaProbeModel.h"
#include "platform/ProbeSupport.h"
#include "platform/ShellRunner.h"

#include <QList>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace qlan {

struct Probes {
    ShellRunner shell;
    std::shared_ptr<FileSystemOperating> fs;
    // The login shell that reads JAVA_HOME is stopped after this long; its check then gives "absent".
    std::chrono::milliseconds loginShellTimeLimit = probing::loginShellTimeLimit;

    // A constant that nothing destroys: probe threads read it, also while the process ends.
    static constexpr QLatin1String loginShellMarker{"__VRL_JAVA_HOME__:"};

    // Runs `which java`, `java_home -V`, the listing of the JDK folder and a login shell's JAVA_HOME at
    // the same time, then scans the folder for bundles `java_home` did not list. Blocks until all four
    // have finished (call it from a worker thread); never throws: failures give absent or empty parts.
    ProbeBundle probeAll() const;

    // The JDK entries of `java_home -V` output (it writes its list to standard error), in line order.
    static QList<JDKInfo> parseJavaHomeList(const QString& text);

    // The value after the marker on the last line that holds it, trimmed of spaces and tabs; absent
    // when that value is empty or no line holds the marker.
    static std::optional<QString> parseLoginShellJavaHome(const QString& text);

private:
    std::optional<QString> whichJava() const;
    QList<JDKInfo> javaHomeList() const;
    QStringList jvmFolderListing() const;
    std::optional<QString> loginShellJavaHome() const;
};

} // namespace qlan
