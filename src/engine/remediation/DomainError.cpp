#include "remediation/DomainError.h"

#include <QNetworkReply>

namespace qlan {

bool isTimeout(const std::exception& error) {
    const auto* transport = dynamic_cast<const TransportError*>(&error);
    return transport && transport->code() == QNetworkReply::TimeoutError;
}

bool isCancellation(const std::exception& error) {
    const auto* transport = dynamic_cast<const TransportError*>(&error);
    return transport && transport->code() == QNetworkReply::OperationCanceledError;
}

} // namespace qlan
