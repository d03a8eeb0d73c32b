// Throughput and memory of the live HTTP fetcher against a loopback server: a timed sample of an
// endless body and a download of a large body must not keep what they receive in memory. Then the time
// of a short request alone and right after a request cut at its limit while the server goes on sending.
// Prints the figures; targets: peak memory growth of a sample at most 16 MB whatever its size, and of a
// download at most 32 MB; a short request after a cut one no slower than alone by more than a few ms.

#include "platform/LiveHTTPFetcher.h"
#include "support/LoopbackHttpServer.h"

#include "ResidentMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace qlan;
using namespace qlan::test;

namespace {

void report(const char* what, qint64 bytes, double seconds, long long baseKb) {
    const long long peakKb = bench::peakResidentKiB();
    std::printf("%-10s %8.1f MB in %6.2f s = %8.1f MB/s, peak memory growth %6.1f MB\n", what, bytes / 1e6,
                seconds, bytes / 1e6 / seconds, (peakKb - baseKb) / 1024.0);
}

// Mean and longest time of `rounds` short requests, each after `before` (which may do nothing).
void reportShortRequests(const char* what, LiveHTTPFetcher& fetcher, const QUrl& url, int rounds,
                         const std::function<void()>& before) {
    double totalMs = 0;
    double longestMs = 0;
    for (int round = 0; round < rounds; ++round) {
        before();
        HTTPRequest request;
        request.url = url;
        QElapsedTimer clock;
        clock.start();
        fetcher.data(request);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        totalMs += ms;
        longestMs = std::max(longestMs, ms);
    }
    std::printf("%-28s mean %7.2f ms, longest %7.2f ms over %d requests\n", what, totalMs / rounds, longestMs,
                rounds);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 sampleBytes = 1024LL * 1024 * 1024;
    const qint64 downloadBytes = 512LL * 1024 * 1024;

    LoopbackHttpServer server;
    server.route("/endless", {.chunkBytes = 256 * 1024, .endless = true});
    server.route("/big", {.body = QByteArray(downloadBytes, 'b'), .chunkBytes = 1024 * 1024});
    LiveHTTPFetcher fetcher;
    HTTPRequest warmUp;
    warmUp.url = server.url("/endless");
    fetcher.sampleBytes(warmUp, 1024 * 1024, 10.0);

    long long baseKb = bench::peakBaselineKiB();
    HTTPRequest request;
    request.url = server.url("/endless");
    request.setHeader("Range", "bytes=0-" + QByteArray::number(sampleBytes - 1));
    request.setHeader("Cache-Control", "no-cache");
    const ByteSample sample = fetcher.sampleBytes(request, sampleBytes, 120.0);
    report("sample", sample.bytes, sample.elapsedSeconds, baseKb);

    baseKb = bench::peakBaselineKiB();
    QElapsedTimer clock;
    clock.start();
    const auto [path, response] = fetcher.download(server.url("/big"));
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    report("download", QFileInfo(path).size(), seconds, baseKb);
    QFile::remove(path);

    // A short request alone, then right after one cut at a 16 kB limit while its answer goes on.
    server.route("/short", {.body = "short"});
    const QUrl shortURL = server.url("/short");
    constexpr int rounds = 40;
    reportShortRequests("short request alone", fetcher, shortURL, rounds, [] {});
    int cutFailures = 0;
    reportShortRequests("short request after a cut", fetcher, shortURL, rounds, [&] {
        HTTPRequest cut; // a post, as telemetry sends
        cut.url = server.url("/endless");
        cut.method = "POST";
        cut.setHeader("Content-Type", "application/json");
        cut.body = R"([{"event_name":"cut"}])";
        cut.maxBodyBytes = 16 * 1024;
        try {
            fetcher.data(cut);
        } catch (const std::exception&) {
            return; // the limit ended it, as it should
        }
        ++cutFailures;
    });
    return response.statusCode == 200 && sample.bytes == sampleBytes && cutFailures == 0 ? 0 : 1;
}
