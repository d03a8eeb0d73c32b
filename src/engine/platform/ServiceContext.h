#pragma once
// The scoped context through which screens receive the one AppServices and the optional SystemProfile.
// A value set on a QObject applies to it and to every object below it in the parent chain; a lookup
// walks up from the asking object to the nearest object that set the value.

#include "platform/AppServices.h"
#include "platform/SystemProfile.h"

#include <QObject>

#include <optional>

namespace qlan {

class ServiceContext {
public:
    static void setServices(QObject* scope, const AppServices& services);
    // The nearest services above `from`; a copy of AppServices::live() when no ancestor set them.
    static AppServices services(const QObject* from);

    static void setSystemProfile(QObject* scope, const std::optional<SystemProfile>& profile);
    // The nearest profile above `from`; absent when no ancestor set one.
    static std::optional<SystemProfile> systemProfile(const QObject* from);
};

} // namespace qlan
