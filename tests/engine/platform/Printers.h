#pragma once
// Readable failure messages for the probe values. gtest finds PrintTo by argument-dependent lookup; the
// functions have internal linkage, so other test files of this program may print the same types their
// own way.

#include "platform/NetworkReadinessProbe.h"
#include "platform/ProcessTypes.h"
#include "platform/SystemProfile.h"

#include <QString>

#include <optional>
#include <ostream>
#include <string>

namespace qlan {

[[maybe_unused]] static std::string quoted(const QString& text) {
    return '"' + text.toStdString() + '"';
}

[[maybe_unused]] static std::string quoted(const std::optional<QString>& text) {
    return text ? quoted(*text) : std::string("none");
}

template <typename T> static std::string numberOrNone(const std::optional<T>& value) {
    return value ? std::to_string(*value) : std::string("none");
}

[[maybe_unused]] static void PrintTo(const ProcessResult& result, std::ostream* out) {
    *out << "ProcessResult{" << result.exitCode << ", " << quoted(result.stdOut) << ", "
         << quoted(result.stdErr);
    if (result.isCut()) *out << ", omitted " << result.stdOutOmitted << " + " << result.stdErrOmitted;
    *out << "}";
}

[[maybe_unused]] static void PrintTo(const ProcessStreamEvent& event, std::ostream* out) {
    switch (event.kind) {
    case ProcessStreamEvent::Kind::line:
        *out << "line(" << quoted(event.text) << ")";
        return;
    case ProcessStreamEvent::Kind::exited:
        *out << "exited(" << event.code << ")";
        return;
    case ProcessStreamEvent::Kind::failedToStart:
        *out << "failedToStart(" << quoted(event.text) << ")";
        return;
    }
}

[[maybe_unused]] static void PrintTo(const JDKInfo& jdk, std::ostream* out) {
    *out << "JDKInfo{" << quoted(jdk.version) << ", " << quoted(jdk.vendor) << ", "
         << quoted(jdk.architecture) << ", " << quoted(jdk.path) << "}";
}

[[maybe_unused]] static void PrintTo(const ProbeBundle& bundle, std::ostream* out) {
    *out << "ProbeBundle{which " << quoted(bundle.whichJava) << ", jdks [";
    for (const JDKInfo& jdk : bundle.installedJDKs) {
        PrintTo(jdk, out);
        *out << ' ';
    }
    *out << "], dir " << quoted(bundle.jvmDirContents.join(u',')) << ", JAVA_HOME "
         << quoted(bundle.javaHomeInActiveShell) << "}";
}

[[maybe_unused]] static void PrintTo(Architecture architecture, std::ostream* out) {
    *out << (architecture == Architecture::appleSilicon ? "appleSilicon"
             : architecture == Architecture::intel      ? "intel"
                                                        : "unknown");
}

[[maybe_unused]] static void PrintTo(const Shell& shell, std::ostream* out) {
    const char* names[] = {"zsh", "bash", "fish", "other"};
    *out << names[static_cast<int>(shell.kind)];
    if (shell.kind == Shell::Kind::other) *out << '(' << quoted(shell.name) << ')';
}

[[maybe_unused]] static void PrintTo(const SystemProfile& p, std::ostream* out) {
    *out << "SystemProfile{";
    PrintTo(p.architecture, out);
    *out << ", macOS " << p.macosVersion.majorVersion << '.' << p.macosVersion.minorVersion << '.'
         << p.macosVersion.patchVersion << ", ";
    PrintTo(p.shell, out);
    *out << ", brew " << quoted(p.homebrewPrefix) << ", sdkman " << quoted(p.sdkmanRoot) << ", mise "
         << quoted(p.miseExecutable) << ", jenv " << quoted(p.jenvRoot) << ", asdf " << quoted(p.asdfRoot)
         << ", clt " << quoted(p.xcodeCommandLineToolsPath) << ", ";
    PrintTo(p.javaState, out);
    *out << ", ai " << quoted(p.aiTooling.installedIDs().join(u',')) << ", terminals "
         << quoted(p.terminals.installedIDs().join(u',')) << "}";
}

[[maybe_unused]] static void PrintTo(const NetworkReadinessResult& r, std::ostream* out) {
    *out << "NetworkReadinessResult{" << toText(r.verdict).toStdString() << ", Mbps "
         << numberOrNone(r.downMbps) << ", seconds " << numberOrNone(r.estimatedInstallSeconds)
         << ", reachable " << r.endpointsReachable << "/" << r.endpointsTotal << "}";
}

[[maybe_unused]] static void PrintTo(const NetworkReadinessProbe::EndpointSample& sample, std::ostream* out) {
    const char* names[] = {"throughput", "responded", "down", "timeout"};
    *out << names[static_cast<int>(sample.kind)];
    if (sample.kind == NetworkReadinessProbe::EndpointSample::Kind::throughput)
        *out << '(' << sample.bytesPerSecond << ')';
}

} // namespace qlan
