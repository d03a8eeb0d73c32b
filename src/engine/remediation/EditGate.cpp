#include "remediation/EditGate.h"

#include <algorithm>

namespace qlan {
namespace {

thread_local std::shared_ptr<EditGate> currentGate;
thread_local int editDepth = 0; // entries of this thread, nested

} // namespace

std::shared_ptr<EditGate> EditGate::current() {
    return currentGate;
}

void EditGate::Scope::WaitForEdit::operator()() const {
    const std::lock_guard lock(gate->mutex_);
}

EditGate::Scope::Scope(std::stop_token stop, std::shared_ptr<EditGate> starter, Notice notice)
    : gate_(std::make_shared<EditGate>(stop, std::move(starter), std::move(notice)))
    , previous_(std::exchange(currentGate, gate_))
    , waitForEdit_(stop, WaitForEdit{gate_.get()}) {}

EditGate::Scope::~Scope() {
    currentGate = previous_;
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
