#pragma once
// The persistent key-value store on QSettings (the user defaults on a Mac).

#include "platform/KeyValueStoring.h"

namespace qlan {

class LiveKeyValueStore : public KeyValueStoring {
public:
    // The application's standard settings: in a Mac application bundle its own user defaults (the domain
    // is the bundle identifier); elsewhere Qt's settings named after the application's organisation and
    // name.
    LiveKeyValueStore() = default;
    // Settings kept in the given file (INI format), e.g. inside a test sandbox.
    explicit LiveKeyValueStore(QString filePath)
        : filePath_(std::move(filePath)) {}

    void set(const QVariant& value, const QString& key) override;
    std::optional<QString> string(const QString& key) const override;
    bool boolValue(const QString& key) const override;

private:
    QString filePath_;
};

} // namespace qlan
