#include "remediation/SDKMANRunner.h"

#include "platform/ProbeSupport.h"
#include "platform/ShellQuoting.h"

namespace qlan {

Stream<StreamEvent> SDKMANRunner::run(const QString& arguments) const {
    const QString initScript = probing::appendingPath(sdkmanRoot, QStringLiteral("bin/sdkman-init.sh"));
    const QString script =
        QStringLiteral("source ") + shellQuoted(initScript) + QStringLiteral(" && sdk ") + arguments;
    return shell.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), script});
}

QString SDKMANRunner::installJavaArguments(const QString& candidate) {
    return QStringLiteral("install java ") + shellQuoted(candidate) + QStringLiteral(" y");
}

QString SDKMANRunner::defaultJavaArguments(const QString& candidate) {
    return QStringLiteral("default java ") + shellQuoted(candidate);
}

} // namespace qlan
