#include "support/SandboxProcessRunner.h"

#include "platform/LiveProcessRunner.h"

#include <QFileInfo>
#include <QProcessEnvironment>

namespace qlan::test {
namespace {

constexpr const char* kMacBinFolders[] = {"/opt/homebrew/bin", "/usr/local/bin", "/usr/bin", "/bin",
                                          "/usr/sbin",         "/sbin"};
// Variables that name startup files a shell reads.
constexpr const char* kStartupFileVariables[] = {"ZDOTDIR", "BASH_ENV", "ENV"};

} // namespace

SandboxProcessRunner::SandboxProcessRunner(SandboxLayout layout, std::shared_ptr<ProcessRunning> inner)
    : layout_(std::move(layout))
    , inner_(inner ? std::move(inner) : std::make_shared<LiveProcessRunner>()) {}

QString SandboxProcessRunner::executablePath(const QString& executable) const {
    if (executable.isEmpty()) return executable;
    return layout_.map(executable.startsWith(QLatin1Char('/')) ? executable : QLatin1Char('/') + executable);
}

Environment SandboxProcessRunner::childEnvironment(const std::optional<Environment>& environment) const {
    Environment result;
    if (!environment) {
        const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
        for (const QString& name : system.keys())
            result.insert(name, system.value(name));
        for (const char* name : kStartupFileVariables)
            result.remove(QString::fromLatin1(name));
        QStringList path;
        for (const char* folder : kMacBinFolders)
            path.append(layout_.map(QString::fromLatin1(folder)));
        path << QStringLiteral("/usr/bin") << QStringLiteral("/bin");
        result.insert(QStringLiteral("PATH"), path.join(QLatin1Char(':')));
        result.insert(QStringLiteral("TMPDIR"), layout_.root + QStringLiteral("/private/tmp"));
    } else {
        result = *environment;
        if (result.contains(QStringLiteral("PATH"))) {
            QStringList entries = result.value(QStringLiteral("PATH")).split(QLatin1Char(':'));
            for (QString& entry : entries) {
                if (!entry.startsWith(QLatin1Char('/'))) continue;
                const QString mapped = layout_.map(entry);
                if (QFileInfo::exists(mapped)) entry = mapped;
            }
            result.insert(QStringLiteral("PATH"), entries.join(QLatin1Char(':')));
        }
        for (const char* name : kStartupFileVariables) {
            const QString key = QString::fromLatin1(name);
            if (!result.contains(key)) continue;
            const QString value = result.value(key);
            if (value.isEmpty()) continue;
            result.insert(key,
                          layout_.map(value.startsWith(QLatin1Char('/')) ? value : QLatin1Char('/') + value));
        }
    }
    result.insert(QStringLiteral("HOME"), layout_.home);
    return result;
}

ProcessResult SandboxProcessRunner::run(const QString& executable, const QStringList& arguments,
                                        const std::optional<Environment>& environment) {
    return inner_->run(executablePath(executable), arguments, childEnvironment(environment));
}

ProcessResult SandboxProcessRunner::runWithTimeLimit(const QString& executable, const QStringList& arguments,
                                                     const std::optional<Environment>& environment,
                                                     std::chrono::milliseconds timeLimit) {
    return inner_->runWithTimeLimit(executablePath(executable), arguments, childEnvironment(environment),
                                    timeLimit);
}

std::pair<Stream<ProcessStreamEvent>, std::shared_ptr<ProcessCancellation>>
SandboxProcessRunner::stream(const QString& executable, const QStringList& arguments,
                             const std::optional<Environment>& environment) {
    return inner_->stream(executablePath(executable), arguments, childEnvironment(environment));
}

} // namespace qlan::test
