#include "platform/AppServices.h"

#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/LiveProcessRunner.h"

namespace qlan {

const AppServices& AppServices::live() {
    // Read on worker threads (the usage events' among them), also while the process ends: never destroyed.
    static const AppServices* const services = new AppServices{
        std::make_shared<LiveProcessRunner>(),
        std::make_shared<LiveHTTPFetcher>(),
        std::make_shared<LiveFileSystem>(),
        std::make_shared<LiveKeyValueStore>(),
        false,
    };
    return *services;
}

} // namespace qlan
