#include "platform/AppServices.h"

#include "platform/LiveFileSystem.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/LiveKeyValueStore.h"
#include "platform/LiveProcessRunner.h"

namespace qlan {

const AppServices& AppServices::live() {
    static const AppServices services{
        std::make_shared<LiveProcessRunner>(),
        std::make_shared<LiveHTTPFetcher>(),
        std::make_shared<LiveFileSystem>(),
        std::make_shared<LiveKeyValueStore>(),
        false,
    };
    return services;
}

} // namespace qlan
