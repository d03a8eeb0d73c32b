#pragma once
// The Java configuration block of ~/.zprofile: a JAVA_HOME line that asks macOS for the current JDK at
// every login, and optionally a PATH line that puts that JDK's bin folder first. Only prepares the
// change; the caller shows or reports it and applies it through `writer`.

#include "remediation/FileAppendWriter.h"

namespace qlan {

class ZprofileWriter {
public:
    explicit ZprofileWriter(FileAppendWriter writer)
        : writer(std::move(writer)) {}
    // The writer of ~/.zprofile in the home folder that `fs` reports.
    static ZprofileWriter forHome(std::shared_ptr<FileSystemOperating> fs);

    FileAppendWriter writer;

    // The preview of the "Java configuration" block, with the PATH line only when asked. Already set when
    // an active line begins with "export JAVA_HOME=". Throws the read error of an existing ~/.zprofile
    // that is not UTF-8 text.
    FileAppendWriter::DiffPreview preview(bool includePath) const;

    // An active line (trimmed of spaces and tabs, not a "#" comment) begins with "export JAVA_HOME=".
    static bool hasActiveJavaHome(const QString& text);
};

} // namespace qlan
