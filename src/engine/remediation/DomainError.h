#pragma once
// Errors that the remediation jobs make themselves: a domain naming where they come from, a code, and
// the message that the user sees as the error's localized description. Transport failures of the HTTP
// service stay TransportError; the helpers below tell a time-out and a cancellation apart from them.

#include "platform/PlatformError.h"

#include <QString>

#include <exception>

namespace qlan {

class DomainError : public PlatformError {
public:
    DomainError(QString domain, int code, const QString& message)
        : PlatformError(message, code)
        , domain_(std::move(domain)) {}

    const QString& domain() const { return domain_; }

private:
    QString domain_;
};

// The URL-loading errors that are not transport failures: an address that cannot be formed and an
// answer that is not the expected one.
namespace URLErrors {
inline constexpr char domain[] = "NSURLErrorDomain";
inline constexpr int badURL = -1000;
inline constexpr int badServerResponse = -1011;
} // namespace URLErrors

// A request that the HTTP service gave up on because its time limit passed.
bool isTimeout(const std::exception& error);
// A request or a wait that stopped because the job was cancelled.
bool isCancellation(const std::exception& error);

} // namespace qlan
