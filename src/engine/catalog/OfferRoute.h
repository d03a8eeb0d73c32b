#pragma once
// Where a follow-up choice leads: a content offer, the audit followed by another route (nested to any
// depth), the guided-help offer, or the AI-coding interest offer. A value: the nested route is shared
// internally and never changes.

#include <QHashFunctions>
#include <QString>

#include <memory>
#include <optional>

namespace qlan {

class OfferRoute {
public:
    enum class Kind { content, audit, guidedHelpWTP, aiCodingInterest };

    OfferRoute(const OfferRoute&) = default;
    OfferRoute(OfferRoute&&) noexcept = default;
    OfferRoute& operator=(const OfferRoute&) = default;
    OfferRoute& operator=(OfferRoute&&) noexcept = default;
    ~OfferRoute();

    static OfferRoute content(QString offerID);
    static OfferRoute audit(std::optional<OfferRoute> then = std::nullopt);
    static OfferRoute guidedHelpWTP();
    static OfferRoute aiCodingInterest();

    Kind kind() const { return kind_; }
    // The offer id of a `content` route; empty for the other cases.
    const QString& offerID() const { return offerID_; }
    // The route an `audit` route follows afterwards; absent for the other cases.
    std::optional<OfferRoute> then() const;

    // Same case, equal offer ids for `content`, and for `audit` both follow-ups absent or both present and
    // equal, compared all the way down.
    friend bool operator==(const OfferRoute& a, const OfferRoute& b);
    // Consistent with equality: the case number, then the offer id, or for `audit` a present/absent
    // marker followed by the nested route.
    friend size_t qHash(const OfferRoute& route, size_t seed) noexcept;

private:
    explicit OfferRoute(Kind kind)
        : kind_(kind) {}

    Kind kind_;
    QString offerID_;
    std::shared_ptr<const OfferRoute> then_;
};

size_t qHash(const OfferRoute& route, size_t seed = 0) noexcept;

} // namespace qlan
