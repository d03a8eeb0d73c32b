#pragma once
// Enumerations that are stored or sent as text. Each one has a `toText` overload and a specialisation of
// TextEnumCases listing its cases in declaration order; `fromText` then builds a value only from an
// exact, case-sensitive match of one case's text, and `qHash` hashes the value by its text.

#include <QHashFunctions>
#include <QString>

#include <array>
#include <concepts>
#include <optional>
#include <type_traits>

namespace qlan {

// Specialise with `static constexpr std::array cases{...}` holding every case in declaration order.
template <typename E> struct TextEnumCases;

template <typename E>
concept TextEnumeration = std::is_enum_v<E> && requires(E value) {
    { toText(value) } -> std::same_as<QString>;
    TextEnumCases<E>::cases;
};

// The value whose text is exactly `text`; none for any other text (case and punctuation matter).
template <TextEnumeration E> std::optional<E> fromText(const QString& text) {
    for (E value : TextEnumCases<E>::cases)
        if (toText(value) == text) return value;
    return std::nullopt;
}

// Every case, in declaration order.
template <TextEnumeration E> constexpr auto allCases() {
    return TextEnumCases<E>::cases;
}

// Hashing follows the text, so it agrees with equality (and with a value rebuilt from its text). The seed
// has no default: a one-argument form would make Qt's generic two-argument qHash ambiguous with this one.
template <TextEnumeration E> size_t qHash(E value, size_t seed) noexcept {
    return ::qHash(toText(value), seed);
}

} // namespace qlan
