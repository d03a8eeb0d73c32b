#include "editions/brew/BrewProber.h"

#include "editions/brew/HomebrewLocationState.h"
#include "platform/ChildTask.h"
#include "platform/ProbeSupport.h"

namespace qlan {

SetupProbeBundle BrewProber::probe(const std::shared_ptr<ProcessRunning>& processRunner,
                                   const std::shared_ptr<FileSystemOperating>& fs) const {
    auto which = startChildTask([processRunner] {
        return probing::runLoginShell(processRunner.get(), QStringLiteral("/usr/bin/which -a brew")).result;
    });
    auto version = startChildTask([processRunner] {
        return probing::runLoginShell(processRunner.get(), QStringLiteral("brew --version 2>&1")).result;
    });

    SetupProbeBundle bundle;
    for (const QLatin1String path :
         {HomebrewLocationState::appleSiliconBrew, HomebrewLocationState::intelBrew})
        if (probing::exists(fs.get(), path, nullptr)) bundle.installedPrimaryToolLocations.append(path);

    if (const std::optional<ProcessResult> result = version.get()) {
        const QString output = result->stdOut.trimmed();
        if (!output.isEmpty()) bundle.versionOutput = output;
        bundle.versionExitCode = result->exitCode;
    } else {
        bundle.versionExitCode = -1;
    }

    if (const std::optional<ProcessResult> result = which.get(); result && result->exitCode == 0)
        bundle.pathVisiblePrimaryTools = probing::absolutePathLines(result->stdOut);
    return bundle;
}

} // namespace qlan
