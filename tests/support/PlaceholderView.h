#pragma once
// Stands in for a destination in tests of one screen: it names the destination and
// keeps the arguments the router gave it.

#include "appshell/AuditContext.h"

#include <QWidget>

#include <optional>

namespace qlan {

class PlaceholderView : public QWidget {
    Q_OBJECT
public:
    PlaceholderView(const QString& destination, const QString& offerID = {},
                    std::optional<AuditContext> auditContext = std::nullopt, QWidget* parent = nullptr);

    QString destination() const { return destination_; }
    QString offerID() const { return offerID_; }
    const std::optional<AuditContext>& auditContext() const { return auditContext_; }

private:
    QString destination_;
    QString offerID_;
    std::optional<AuditContext> auditContext_;
};

} // namespace qlan
