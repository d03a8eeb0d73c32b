// Time of InstallOutputFilter::filter over installation transcripts of 1 to 16 MB. The screen filters
// the whole transcript again after each new line, so the work must grow linearly with its size: the
// printed milliseconds per megabyte should stay flat. Target: 10 MB in under 1 s.

#include "remediation/InstallOutputFilter.h"
#include "support/InstallTranscript.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

using namespace qlan;

int main() {
    for (const int megabytes : {1, 2, 4, 8, 10, 16}) {
        const test::InstallTranscript transcript =
            test::makeInstallTranscript(qsizetype(megabytes) * 1024 * 1024);
        qint64 best = -1;
        qsizetype shown = 0;
        for (int round = 0; round < 3; ++round) {
            QElapsedTimer timer;
            timer.start();
            shown = InstallOutputFilter::filter(transcript.lines).size();
            const qint64 elapsed = timer.elapsed();
            best = best < 0 ? elapsed : std::min(best, elapsed);
        }
        std::printf("%2d MB: %8lld lines -> %8lld shown in %5lld ms (%.1f ms/MB)\n", megabytes,
                    static_cast<long long>(transcript.lines.size()), static_cast<long long>(shown),
                    static_cast<long long>(best), double(best) / megabytes);
    }
    return 0;
}
