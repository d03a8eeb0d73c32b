#pragma once
// What the audit tests share: a sandboxed Mac in the Homebrew edition, a telemetry service that
// delivers to a loopback endpoint, a feedback host over the sandbox's store, and profiles built by facts.

#include "editions/ProductConfig.h"
#include "platform/SystemProfile.h"
#include "telemetry/NPSFeedbackHost.h"

#include "support/CurrentEdition.h"
#include "support/Sandbox.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace qlan::test {

struct MacFacts {
    bool brew = false;
    bool clt = false;
    bool warp = false;
    Architecture architecture = Architecture::appleSilicon;
    int macOS = 26;
};

inline SystemProfile profileOf(MacFacts facts) {
    SystemProfile profile;
    profile.architecture = facts.architecture;
    profile.macosVersion.majorVersion = facts.macOS;
    if (facts.brew) profile.homebrewPrefix = QStringLiteral("/opt/homebrew/bin/brew");
    if (facts.clt) profile.xcodeCommandLineToolsPath = QStringLiteral("/Library/Developer/CommandLineTools");
    profile.terminals.warp = facts.warp;
    return profile;
}

class AuditFixture {
public:
    AuditFixture() { telemetry = endpoint.makeService(mac.services()); }

    std::shared_ptr<NPSFeedbackHost> makeHost() {
        return std::make_shared<NPSFeedbackHost>(ProductConfig::current().userDefaultsPrefix,
                                                 mac.services().store, *telemetry);
    }
    void markFeedbackSubmitted() {
        mac.services().store->set(true,
                                  NPSFeedbackHost::submittedKey(ProductConfig::current().userDefaultsPrefix));
    }

    // The events delivered once `expected` of them have arrived and a short while has passed, without
    // "nps_shown" (only the first host of a run, here of a test, sends it), which counts for nothing.
    QList<ReceivedEvent> settledEvents(qsizetype expected = 0) {
        const auto counted = [this] {
            QList<ReceivedEvent> events;
            for (const ReceivedEvent& event : endpoint.receivedEvents())
                if (event.name != QStringLiteral("nps_shown")) events.append(event);
            return events;
        };
        waitUntil([&] { return counted().size() >= expected; });
        waitUntil([] { return false; }, 150);
        return counted();
    }
    QStringList settledNames(qsizetype expected = 0) {
        QStringList names;
        for (const ReceivedEvent& event : settledEvents(expected))
            names.append(event.name);
        return names;
    }

    CurrentEdition edition{ProductConfig::homebrewEdition()};
    Sandbox mac;
    TelemetryEndpoint endpoint;
    std::unique_ptr<TelemetryService> telemetry;
};

} // namespace qlan::test
