#include "platform/HostLookup.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <netdb.h>
#include <sys/socket.h>

namespace qlan {

namespace {

// What the system answers for a name: its numeric addresses (none when it knows none). An address with a
// zone ("fe80::1%en0") is left out: it names a link of this machine, never a server's address.
std::vector<std::string> systemAddressesOf(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0) return {};
    std::vector<std::string> addresses;
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(entry->ai_addr, entry->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) !=
            0)
            continue;
        const std::string address(text);
        if (address.find('%') != std::string::npos) continue;
        bool seen = false;
        for (const std::string& earlier : addresses)
            seen = seen || earlier == address;
        if (!seen) addresses.push_back(address);
    }
    ::freeaddrinfo(list);
    return addresses;
}

HostLookup::Answer answerOf(const std::vector<std::string>& addresses) {
    HostLookup::Answer answer;
    for (const std::string& address : addresses)
        answer.addresses.append(QString::fromStdString(address));
    answer.outcome = answer.addresses.isEmpty() ? HostLookup::Outcome::notFound : HostLookup::Outcome::found;
    return answer;
}

// Shared by the caller and the lookup's thread, which may outlive the caller's wait.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable_any answered;
    bool done = false;
    std::vector<std::string> addresses;
};

} // namespace

HostLookup::Answer HostLookup::addressesOf(const QString& host, Clock::time_point deadline,
                                           const std::stop_token& stop) {
    if (stop.stop_requested()) return {Outcome::stopped, {}};
    if (Clock::now() >= deadline) return {Outcome::timedOut, {}};
    const std::string name = host.toStdString();
    auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, name] {
            std::vector<std::string> addresses = systemAddressesOf(name);
            std::lock_guard lock(pending->mutex);
            pending->addresses = std::move(addresses);
            pending->done = true;
            pending->answered.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return answerOf(systemAddressesOf(name));
    }
    std::unique_lock lock(pending->mutex);
    pending->answered.wait_until(lock, stop, deadline, [&] { return pending->done; });
    if (pending->done) return answerOf(pending->addresses);
    return {stop.stop_requested() ? Outcome::stopped : Outcome::timedOut, {}};
}

} // namespace qlan
