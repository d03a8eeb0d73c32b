#include "catalog/OfferRoute.h"

namespace qlan {

// Releases a chain of nested routes link by link, so that a deep chain costs no stack.
OfferRoute::~OfferRoute() {
    std::shared_ptr<const OfferRoute> next = std::move(then_);
    while (next && next.use_count() == 1) {
        // The last owner of the child: detach its own child before letting it go. The child was made
        // non-const (see audit), so taking its link is sound.
        std::shared_ptr<const OfferRoute> after = std::move(const_cast<OfferRoute&>(*next).then_);
        next = std::move(after);
    }
}

OfferRoute OfferRoute::content(QString offerID) {
    OfferRoute route(Kind::content);
    route.offerID_ = std::move(offerID);
    return route;
}

OfferRoute OfferRoute::audit(std::optional<OfferRoute> then) {
    OfferRoute route(Kind::audit);
    if (then) route.then_ = std::make_shared<OfferRoute>(std::move(*then));
    return route;
}

OfferRoute OfferRoute::guidedHelpWTP() {
    return OfferRoute(Kind::guidedHelpWTP);
}
OfferRoute OfferRoute::aiCodingInterest() {
    return OfferRoute(Kind::aiCodingInterest);
}

std::optional<OfferRoute> OfferRoute::then() const {
    if (!then_) return std::nullopt;
    return *then_;
}

// Both walk the chain of nested routes in a loop, so a deep chain costs no stack.
bool operator==(const OfferRoute& a, const OfferRoute& b) {
    const OfferRoute* left = &a;
    const OfferRoute* right = &b;
    while (true) {
        if (left == right) return true;
        if (left->kind_ != right->kind_) return false;
        switch (left->kind_) {
        case OfferRoute::Kind::content:
            return left->offerID_ == right->offerID_;
        case OfferRoute::Kind::guidedHelpWTP:
        case OfferRoute::Kind::aiCodingInterest:
            return true;
        case OfferRoute::Kind::audit:
            if (!left->then_ || !right->then_) return !left->then_ && !right->then_;
            left = left->then_.get();
            right = right->then_.get();
            break;
        }
    }
}

size_t qHash(const OfferRoute& route, size_t seed) noexcept {
    QtPrivate::QHashCombine combine;
    for (const OfferRoute* current = &route; current;) {
        seed = combine(seed, static_cast<int>(current->kind_));
        if (current->kind_ == OfferRoute::Kind::content) seed = combine(seed, current->offerID_);
        if (current->kind_ != OfferRoute::Kind::audit) break;
        seed = combine(seed, current->then_ ? 1 : 0);
        current = current->then_.get();
    }
    return seed;
}

} // namespace qlan
