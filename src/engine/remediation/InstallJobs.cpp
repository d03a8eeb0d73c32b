// Command Line Tools, uv, mise and its languages, rustup. Not built yet: each completes with -1 after
// one line.

#include "remediation/RemediationJobs.h"

namespace qlan::jobs {

Events installCommandLineTools(const Runner&) {
    return Runner::unavailable(QStringLiteral("clt"));
}
Events installUv(const Runner&) {
    return Runner::unavailable(QStringLiteral("uv"));
}
Events installMise(const Runner&) {
    return Runner::unavailable(QStringLiteral("brew:mise"));
}
Events installNodeViaMise(const Runner&) {
    return Runner::unavailable(QStringLiteral("mise:node@lts"));
}
Events installRubyViaMise(const Runner&) {
    return Runner::unavailable(QStringLiteral("mise:ruby@latest"));
}
Events installRustViaMise(const Runner&) {
    return Runner::unavailable(QStringLiteral("mise:rust"));
}
Events installRustup(const Runner&) {
    return Runner::unavailable(QStringLiteral("rustup"));
}

} // namespace qlan::jobs
