#include "remediation/EditGate.h"

#include <algorithm>
#include <condition_variable>
#include <set>

namespace qlan {
namespace {

thread_local std::shared_ptr<EditGate> currentGate;
thread_local int editDepth = 0; // entries of this thread, nested

// The gates of the jobs whose threads run. Job threads leave them while the process ends: never destroyed.
struct RunningJobs {
    std::mutex mutex;
    std::condition_variable left;
    std::set<const EditGate*> gates;
};

RunningJobs& runningJobs() {
    static RunningJobs* const running = new RunningJobs;
    return *running;
}

} // namespace

bool EditGate::waitForStoppedJobs(std::chrono::steady_clock::time_point deadline) {
    RunningJobs& running = runningJobs();
    std::unique_lock lock(running.mutex);
    return running.left.wait_until(lock, deadline, [&] {
        return std::none_of(running.gates.begin(), running.gates.end(),
                            [](const EditGate* gate) { return gate->stop_.stop_requested(); });
    });
}

std::shared_ptr<EditGate> EditGate::current() {
    return currentGate;
}

void EditGate::Scope::WaitForEdit::operator()() const {
    const std::lock_guard lock(gate->mutex_);
}

EditGate::Scope::Scope(std::stop_token stop, std::shared_ptr<EditGate> starter, Notice notice)
    : gate_(std::make_shared<EditGate>(stop, std::move(starter), std::move(notice)))
    , previous_(std::exchange(currentGate, gate_))
    , waitForEdit_(stop, WaitForEdit{gate_.get()}) {
    RunningJobs& running = runningJobs();
    const std::lock_guard lock(running.mutex);
    running.gates.insert(gate_.get());
}

EditGate::Scope::~Scope() {
    currentGate = previous_;
    RunningJobs& running = runningJobs();
    {
        const std::lock_guard lock(running.mutex);
        running.gates.erase(gate_.get());
    }
    running.left.notify_all();
}

std::vector<std::stop_token> EditGate::stops() const {
    std::vector<std::stop_token> result;
    for (const EditGate* gate = this; gate; gate = gate->starter_.get())
        result.push_back(gate->stop_);
    return result;
}

void EditGate::notify(const QString& line) const {
    for (const EditGate* gate = this; gate; gate = gate->starter_.get()) {
        if (gate->notice_) {
            gate->notice_(line);
            return;
        }
    }
}

std::optional<FileBusyError> EditGate::givenUp(const QString& path) const {
    for (const EditGate* gate = this; gate; gate = gate->starter_.get()) {
        const std::lock_guard lock(gate->givenUpMutex_);
        const auto it = gate->givenUp_.constFind(path);
        if (it != gate->givenUp_.constEnd()) return *it;
    }
    return std::nullopt;
}

void EditGate::giveUp(const QString& path, const FileBusyError& error) {
    for (EditGate* gate = this; gate; gate = gate->starter_.get()) {
        const std::lock_guard lock(gate->givenUpMutex_);
        gate->givenUp_.insert(path, error);
    }
}

EditGate::Entry::Entry() {
    if (editDepth++ > 0) return; // within an edit that was admitted
    for (std::shared_ptr<EditGate> gate = currentGate; gate; gate = gate->starter_)
        held_.push_back(gate);
    std::reverse(held_.begin(), held_.end()); // one order for every thread: starters first
    for (const std::shared_ptr<EditGate>& gate : held_) {
        gate->mutex_.lock();
        admitted_ = admitted_ && !gate->stop_.stop_requested();
    }
}

EditGate::Entry::~Entry() {
    --editDepth;
    for (auto it = held_.rbegin(); it != held_.rend(); ++it)
        (*it)->mutex_.unlock();
}

} // namespace qlan
