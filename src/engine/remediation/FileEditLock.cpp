#include "remediation/FileEditLock.h"

#include <QDir>
#include <QHash>

namespace qlan {
namespace {

// One mutex per file being edited; an entry outlives no lock on it.
struct Registry {
    std::mutex mutex;
    QHash<QString, std::weak_ptr<std::recursive_mutex>> locks;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

} // namespace

FileEditLock::FileEditLock(const QString& path) {
    Registry& shared = registry();
    {
        const std::lock_guard<std::mutex> guard(shared.mutex);
        for (auto it = shared.locks.begin(); it != shared.locks.end();)
            it = it.value().expired() ? shared.locks.erase(it) : std::next(it);
        std::weak_ptr<std::recursive_mutex>& entry = shared.locks[QDir::cleanPath(path)];
        mutex_ = entry.lock();
        if (!mutex_) {
            mutex_ = std::make_shared<std::recursive_mutex>();
            entry = mutex_;
        }
    }
    mutex_->lock();
}

FileEditLock::~FileEditLock() {
    mutex_->unlock();
}

} // namespace qlan
