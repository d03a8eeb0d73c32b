#include "support/ProcessEnd.h"

#include "platform/SystemProxy.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace qlan::test {
namespace {

// 1 while a question is inside the holding answerer, 2 once the statics made before it are destroyed.
// Trivially destructible: it outlives them.
std::atomic<int> held = 0;

} // namespace

void endThisProcess(const QString& how) {
    std::cout << "ending\n";
    if (how == QLatin1String("event loop")) {
        QTimer::singleShot(0, [] { QCoreApplication::exit(3); });
        const int status = QCoreApplication::exec();
        SystemProxy::endNowIfAsking(status);
        std::exit(status);
    }
    if (how == QLatin1String("exit")) std::exit(4);
    if (how == QLatin1String("worker exit")) std::thread([] { std::exit(4); }).join();
}

ChildRun runEndingChild(const QString& test, QMap<QString, QString> environment,
                        const QTemporaryDir& temporary) {
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    return runTestUnder({}, test, environment);
}

::testing::AssertionResult endedCleanly(const ChildRun& child, std::initializer_list<int> statuses) {
    if (std::find(statuses.begin(), statuses.end(), child.exitCode) != statuses.end() &&
        child.output.contains("ending\n") && !child.output.contains("Sanitizer") &&
        !child.output.contains("runtime error"))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << child.exitCode << ", output:\n"
                                         << child.output.toStdString();
}

::testing::AssertionResult endedCleanly(const ChildRun& child, const ProcessEnd& end) {
#if defined(__APPLE__)
    return endedCleanly(child, {end.status, end.orOnAMac});
#else
    return endedCleanly(child, {end.status});
#endif
}

std::shared_ptr<LiveHTTPFetcher> fetcherWithAHoldingAnswerer() {
    static const struct TornDown {
        TornDown() noexcept {}
        ~TornDown() {
            if (held.exchange(2) != 1) return;
            held.notify_all();
            std::this_thread::sleep_for(std::chrono::seconds(10)); // the answerer's turn
        }
    } tornDown;
    LiveHTTPFetcher::SystemQuestions holding;
    holding.proxiesFor = [](const QNetworkProxyQuery&) -> QList<QNetworkProxy> {
        held = 1;
        held.notify_all();
        held.wait(1);
        std::abort();
    };
    return std::make_shared<LiveHTTPFetcher>(LiveHTTPFetcher::defaultDownloadByteLimit, holding);
}

void askAndHold(const std::shared_ptr<LiveHTTPFetcher>& fetcher) {
    std::thread([fetcher] {
        HTTPRequest request;
        request.url = QUrl(QStringLiteral("http://192.0.2.1/"));
        try {
            fetcher->data(request);
        } catch (const std::exception&) {
            // Its caller stopped waiting: the question stays inside.
        }
    }).detach();
    held.wait(0);
}

} // namespace qlan::test
