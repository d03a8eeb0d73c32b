#pragma once
// One offer card of an edition's offer catalogue.

#include <QString>
#include <QUrl>

#include <optional>

namespace qlan {

struct OfferSpec {
    QString offerID;
    QString surface;
    QString title;
    QString body;
    QString actionLabel;
    std::optional<QString> price;
    std::optional<QString> disclosure;
    std::optional<QUrl> destination;
    QString eligibilityReason;
    friend bool operator==(const OfferSpec&, const OfferSpec&) = default;
};

} // namespace qlan
