#pragma once
// Enumerations that are stored or sent as text. Each one has one table, a specialisation of
// TextEnumCases that pairs every case with its text in declaration order; `toText` reads the text from it,
// `fromText` builds a value only from an exact, case-sensitive match of one case's text, and `qHash`
// hashes the value by its text.

#include <QHashFunctions>
#include <QLatin1String>
#include <QString>

#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <type_traits>

namespace qlan {

// One case of a text enumeration and its text (ASCII).
template <typename E> struct TextCase {
    E value;
    const char* text;
};

// Specialise with `static constexpr TextCase<E> cases[]{...}` holding every case, in declaration order.
template <typename E> struct TextEnumCases;

template <typename E>
concept TextEnumeration = std::is_enum_v<E> && requires {
    TextEnumCases<E>::cases;
};

// True when the table's rows stand in declaration order, the first case first, none left out between.
template <TextEnumeration E> constexpr bool casesInDeclarationOrder() {
    std::size_t index = 0;
    for (const TextCase<E>& row : TextEnumCases<E>::cases)
        if (static_cast<std::size_t>(row.value) != index++) return false;
    return true;
}

// The case's text; empty for a value that is no case.
template <TextEnumeration E> QString toText(E value) {
    static_assert(casesInDeclarationOrder<E>(), "a TextEnumCases table lists its cases in declaration order");
    const auto index = static_cast<std::size_t>(value);
    if (index >= std::size(TextEnumCases<E>::cases)) return {};
    return QString::fromLatin1(TextEnumCases<E>::cases[index].text);
}

// The value whose text is exactly `text`; none for any other text (case and punctuation matter).
template <TextEnumeration E> std::optional<E> fromText(const QString& text) {
    for (const TextCase<E>& row : TextEnumCases<E>::cases)
        if (text == QLatin1String(row.text)) return row.value;
    return std::nullopt;
}

// Every case, in declaration order.
template <TextEnumeration E> constexpr auto allCases() {
    std::array<E, std::size(TextEnumCases<E>::cases)> values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = TextEnumCases<E>::cases[i].value;
    return values;
}

// Hashing follows the text, so it agrees with equality (and with a value rebuilt from its text). The seed
// has no default: a one-argument form would make Qt's generic two-argument qHash ambiguous with this one.
template <TextEnumeration E> size_t qHash(E value, size_t seed) noexcept {
    return ::qHash(toText(value), seed);
}

} // namespace qlan
