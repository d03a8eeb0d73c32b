// Throughput and memory of the live HTTP fetcher against a loopback server: a timed sample of an
// endless body and a download of a large body must not keep what they receive in memory.
// Prints the figures; targets: peak memory growth of a sample at most 16 MB whatever its size, and of a
// download at most 32 MB.

#include "platform/LiveHTTPFetcher.h"
#include "support/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fstream>
#include <string>

using namespace qlan;
using namespace qlan::test;

namespace {

// A field of /proc/self/status in kB (VmRSS, VmHWM), or -1.
long statusKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// Resets the peak so that each measurement starts from the current resident size.
void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

void report(const char* what, qint64 bytes, double seconds, long baseKb) {
    const long peakKb = statusKilobytes("VmHWM");
    std::printf("%-10s %8.1f MB in %6.2f s = %8.1f MB/s, peak memory growth %6.1f MB\n", what, bytes / 1e6,
                seconds, bytes / 1e6 / seconds, (peakKb - baseKb) / 1024.0);
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

    resetPeak();
    long baseKb = statusKilobytes("VmRSS");
    HTTPRequest request;
    request.url = server.url("/endless");
    request.setHeader("Range", "bytes=0-" + QByteArray::number(sampleBytes - 1));
    request.setHeader("Cache-Control", "no-cache");
    const ByteSample sample = fetcher.sampleBytes(request, sampleBytes, 120.0);
    report("sample", sample.bytes, sample.elapsedSeconds, baseKb);

    resetPeak();
    baseKb = statusKilobytes("VmRSS");
    QElapsedTimer clock;
    clock.start();
    const auto [path, response] = fetcher.download(server.url("/big"));
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    report("download", QFileInfo(path).size(), seconds, baseKb);
    QFile::remove(path);
    return response.statusCode == 200 && sample.bytes == sampleBytes ? 0 : 1;
}
