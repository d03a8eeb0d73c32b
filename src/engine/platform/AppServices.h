#pragma once
// The bundle of machine services that every screen, probe and job takes its access to the Mac from.

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/KeyValueStoring.h"
#include "platform/ProcessRunning.h"

#include <memory>

namespace qlan {

struct AppServices {
    std::shared_ptr<ProcessRunning> processRunner;
    std::shared_ptr<HTTPFetching> http;
    std::shared_ptr<FileSystemOperating> fs;
    std::shared_ptr<KeyValueStoring> store;
    // Screens skip live probing and the readiness checks and use the profile of their context.
    bool isFixtureMode = false;

    // The live services, built once on first use. Copies share the same service objects.
    static const AppServices& live();

    friend bool operator==(const AppServices&, const AppServices&) = default;
};

} // namespace qlan
