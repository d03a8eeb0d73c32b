#pragma once
// Sets or clears an environment variable of this process for the lifetime of the object, then puts back
// what was there.

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace qlan::test {

class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<QByteArray> value)
        : name_(name)
        , saved_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        value ? qputenv(name, *value) : qunsetenv(name);
    }
    ~ScopedVariable() { saved_ ? qputenv(name_, *saved_) : qunsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> saved_;
};

} // namespace qlan::test
