// What a caller pays for `track`: the time of each call while a request is held in flight by the
// endpoint, and how long the service then takes to mirror the whole queue to its file.
// Prints the figures; target: a call returns in well under a millisecond (it never waits for the
// network or the disk), whatever the length of the queue.

#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "support/LoopbackHttpServer.h"
#include "telemetry/TelemetryEvents.h"
#include "telemetry/TelemetryService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <future>

using namespace qlan;
using namespace qlan::test;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    LoopbackHttpServer server;
    server.route("/api/database/records/usage_events", [released](const LoopbackRequest&) {
        released.wait();
        return LoopbackResponse{.status = 200};
    });

    TelemetryService::Configuration config;
    config.endpointURL = server.url("/api/database/records/usage_events");
    config.appVersion = "0.0 (0)";
    config.appID = "bench";
    config.runContext = "bench";
    config.urlSessionFactory = [] {
        return TelemetryService::makeURLSession("k", std::make_shared<LiveHTTPFetcher>());
    };
    config.kvStore = std::make_shared<LiveKeyValueStore>(dir.filePath("defaults.ini"));
    config.fs = std::make_shared<LiveFileSystem>();
    config.pendingFileURL = dir.filePath("pending-events.json");
    config.retryPause = [](std::chrono::milliseconds, std::stop_token) {};

    for (int events : {100, 1000, 3000}) {
        TelemetryService service(config);
        const JSONObject properties = appLaunchedEvent(SystemProfile{}).properties;
        qint64 slowestNs = 0;
        QElapsedTimer total;
        total.start();
        for (int i = 0; i < events; ++i) {
            QElapsedTimer call;
            call.start();
            service.track("app_launched", properties);
            slowestNs = std::max(slowestNs, call.nsecsElapsed());
        }
        const double callsSeconds = total.nsecsElapsed() / 1e9;
        service.waitForQueuedOperations(600000);
        const double mirroredSeconds = total.nsecsElapsed() / 1e9;
        std::printf("%5d events: %7.2f us per track call (slowest %7.1f us); queue mirrored after %6.2f s\n",
                    events, callsSeconds / events * 1e6, slowestNs / 1e3, mirroredSeconds);
    }
    release.set_value();
    return 0;
}
