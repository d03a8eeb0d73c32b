#include "remediation/ChildRun.h"

#include <QProcessEnvironment>

namespace qlan {

ChildRun runChild(ProcessRunning& process, const QString& executable, const QStringList& arguments,
                  const std::optional<Environment>& environment, CancellableProcess& job,
                  std::stop_token stop,
                  const std::function<void(const QString& line, qint64 omitted)>& onLine) {
    auto [events, handle] = process.stream(executable, arguments, environment);
    job.setCurrent(handle);

    ChildRun run;
    while (auto event = events.next(stop)) {
        switch (event->kind) {
        case ProcessStreamEvent::Kind::line:
            if (onLine) onLine(event->text, event->omitted);
            break;
        case ProcessStreamEvent::Kind::exited:
            run.exitCode = event->code;
            break;
        case ProcessStreamEvent::Kind::failedToStart:
            run.startFailure = event->text;
            break;
        }
    }
    return run;
}

Environment applicationEnvironmentWith(const Environment& overlay) {
    Environment environment;
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    for (const QString& name : system.keys())
        environment.insert(name, system.value(name));
    for (auto it = overlay.begin(); it != overlay.end(); ++it)
        environment.insert(it.key(), it.value());
    return environment;
}

} // namespace qlan
