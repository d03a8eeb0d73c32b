#include "remediation/OutputLineLimit.h"

#include "platform/LiveProcessRunner.h"

#include <QLocale>

#include <algorithm>
#include <utility>

namespace qlan {

// What a child's line keeps while it is read must fill a row in any script (3 bytes of UTF-8 at most
// per UTF-16 unit).
static_assert(OutputLineSplitter::keptBytes > 3 * OutputLineLimit::characters);

namespace {

constexpr char16_t escape = 0x1B;
constexpr char16_t bell = 0x07;

bool isControl(char16_t unit) {
    return (unit < 0x20 && unit != u'\t') || (unit >= 0x7F && unit < 0xA0);
}

bool isMark(char32_t character) {
    switch (QChar::category(character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// The character at `pos` and how many UTF-16 units it takes (a lone surrogate is a character of its own).
std::pair<char32_t, qsizetype> characterAt(const QChar* units, qsizetype pos, qsizetype size) {
    if (units[pos].isHighSurrogate() && pos + 1 < size && units[pos + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(units[pos], units[pos + 1]), 2};
    return {units[pos].unicode(), 1};
}

// Whether all `size` units are printable ASCII, tested in blocks without a branch per unit (so that
// the compiler can test a block at once): the common line costs next to nothing.
bool isPrintableAscii(const QChar* units, qsizetype size) {
    constexpr qsizetype block = 16;
    const auto outside = [&](qsizetype i) { return unsigned(units[i].unicode() - 0x20u) > 0x5Eu; };
    qsizetype pos = 0;
    for (; pos + block <= size; pos += block) {
        bool any = false;
        for (qsizetype i = pos; i < pos + block; ++i)
            any |= outside(i);
        if (any) return false;
    }
    for (; pos < size; ++pos)
        if (outside(pos)) return false;
    return true;
}

// Whether the line holds nothing that a row removes (a control character, or a character's combining
// marks beyond the limit).
bool isPlain(const QString& line) {
    const QChar* units = line.constData();
    if (isPrintableAscii(units, line.size())) return true;
    int marks = 0;
    for (qsizetype pos = 0; pos < line.size();) {
        const char16_t unit = units[pos].unicode();
        if (isControl(unit)) return false;
        if (unit < 0x300) { // no marks below U+0300
            marks = 0;
            ++pos;
            continue;
        }
        const auto [character, size] = characterAt(units, pos, line.size());
        marks = isMark(character) ? marks + 1 : 0;
        if (marks > OutputLineLimit::marksPerCharacter) return false;
        pos += size;
    }
    return true;
}

// The length of the control sequence or character at `pos` (a control unit), up to the end of the line
// for a sequence left open.
qsizetype controlLength(const QString& line, qsizetype pos) {
    const qsizetype end = line.size();
    const auto at = [&](qsizetype i) { return i < end ? line.at(i).unicode() : char16_t(0); };
    char16_t kind = at(pos);
    qsizetype i = pos + 1;
    if (kind == escape) {
        const char16_t next = at(i);
        if (next >= 0x40 && next <= 0x5F) { // ESC [ is CSI, ESC ] OSC, and so on: as their C1 forms
            kind = char16_t(next + 0x40);
            ++i;
        } else {
            while (i < end && at(i) >= 0x20 && at(i) <= 0x2F) // intermediate bytes, then one final byte
                ++i;
            return (i < end && at(i) >= 0x30 && at(i) <= 0x7E ? i + 1 : i) - pos;
        }
    }
    switch (kind) {
    case 0x9B: // CSI: parameter and intermediate bytes, then a final byte
        while (i < end && at(i) >= 0x20 && at(i) <= 0x3F)
            ++i;
        return (i < end && at(i) >= 0x40 && at(i) <= 0x7E ? i + 1 : i) - pos;
    case 0x90: // DCS, SOS, OSC, PM, APC: a string up to the string terminator (or a bell)
    case 0x98:
    case 0x9D:
    case 0x9E:
    case 0x9F:
        for (; i < end; ++i) {
            if (at(i) == bell || at(i) == 0x9C) return i + 1 - pos;
            if (at(i) == escape && at(i + 1) == u'\\') return i + 2 - pos;
        }
        return end - pos;
    default:
        return i - pos;
    }
}

// The mark at the end of a cut row.
QString cutMark(qint64 cut) {
    static const QLocale numbers(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("… ") + numbers.toString(qlonglong(cut)) +
           (cut == 1 ? QStringLiteral(" more character") : QStringLiteral(" more characters"));
}

} // namespace

QString OutputLineLimit::shown(const QString& line, qint64 omitted) {
    if (line.size() <= characters && omitted == 0 && isPlain(line)) return line;
    QString row;
    row.reserve(std::min(line.size(), characters) + 32);
    const QChar* units = line.constData();
    int marks = 0;
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (isControl(units[pos].unicode())) {
            pos += controlLength(line, pos);
            continue;
        }
        const auto [character, size] = characterAt(units, pos, line.size());
        marks = isMark(character) ? marks + 1 : 0;
        if (marks <= marksPerCharacter) {
            if (row.size() + size > characters) break; // the rest is only counted, as it came
            row.append(units + pos, size);
        }
        pos += size;
    }
    const qint64 cut = qint64(line.size() - pos) + omitted;
    return cut == 0 ? row : row + cutMark(cut);
}

} // namespace qlan
