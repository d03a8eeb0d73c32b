#include "remediation/ZprofileWriter.h"

#include "platform/ProbeSupport.h"

namespace qlan {

ZprofileWriter ZprofileWriter::forHome(std::shared_ptr<FileSystemOperating> fs) {
    const QString path = probing::appendingPath(fs->homeDirectory(), QStringLiteral(".zprofile"));
    return ZprofileWriter(FileAppendWriter(path, std::move(fs)));
}

FileAppendWriter::DiffPreview ZprofileWriter::preview(bool includePath) const {
    QStringList lines{QStringLiteral("export JAVA_HOME=$(/usr/libexec/java_home)")};
    if (includePath) lines << QStringLiteral("export PATH=\"$JAVA_HOME/bin:$PATH\"");
    return writer.makePreview(lines, QStringLiteral("Java configuration"),
                              &ZprofileWriter::hasActiveJavaHome);
}

bool ZprofileWriter::hasActiveJavaHome(const QString& text) {
    for (const QString& line : probing::trimmedLines(text))
        if (!line.startsWith(QLatin1Char('#')) && line.startsWith(QStringLiteral("export JAVA_HOME=")))
            return true;
    return false;
}

} // namespace qlan
