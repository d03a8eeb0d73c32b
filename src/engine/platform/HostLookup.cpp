#include "platform/HostLookup.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include <netdb.h>
#include <sys/socket.h>

namespace qlan {

namespace {

// Shared by the caller and the questions' thread, which may outlive the caller's wait.
struct PendingQuestions {
    std::mutex mutex;
    std::condition_variable_any answered;
    bool done = false;
};

} // namespace

void HostLookup::startDetached(std::function<void()> questions) {
    std::thread(std::move(questions)).detach();
}

HostLookup::Outcome HostLookup::ask(std::function<void()> questions, Clock::time_point deadline,
                                    const std::stop_token& stop, const ThreadStarter& start) {
    if (stop.stop_requested()) return Outcome::stopped;
    if (Clock::now() >= deadline) return Outcome::timedOut;
    auto pending = std::make_shared<PendingQuestions>();
    try {
        start([pending, questions = std::move(questions)] {
            questions();
            std::lock_guard lock(pending->mutex);
            pending->done = true;
            pending->answered.notify_all();
        });
    } catch (const std::system_error&) {
        return Outcome::notStarted;
    }
    std::unique_lock lock(pending->mutex);
    pending->answered.wait_until(lock, stop, deadline, [&] { return pending->done; });
    if (pending->done) return Outcome::answered;
    return stop.stop_requested() ? Outcome::stopped : Outcome::timedOut;
}

// An address with a zone ("fe80::1%en0") is left out: it names a link of this machine, never a server's
// address.
QStringList HostLookup::addressesOf(const QString& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.toStdString().c_str(), nullptr, &hints, &list) != 0) return {};
    QStringList addresses;
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(entry->ai_addr, entry->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) !=
            0)
            continue;
        const QString address = QString::fromLatin1(text);
        if (!address.contains(QLatin1Char('%')) && !addresses.contains(address)) addresses.append(address);
    }
    ::freeaddrinfo(list);
    return addresses;
}

} // namespace qlan
