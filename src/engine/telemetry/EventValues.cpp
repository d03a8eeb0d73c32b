#include "telemetry/EventValues.h"

#include "platform/AppServices.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <pwd.h>
#include <unistd.h>

namespace qlan {
namespace {

// `prefix` as a whole folder name: not followed by a character that continues a user's folder name
// (letters, digits, "_", "-", or "." followed by one of those; a full stop ending a sentence does not),
// or, for paths below it only, followed by "/".
void replaceFolder(QString& text, const QString& prefix, HomeMasking masking) {
    const QRegularExpression pattern(QRegularExpression::escape(prefix) +
                                     (masking == HomeMasking::pathsBelowOnly
                                          ? QStringLiteral("(?=/)")
                                          : QStringLiteral(R"((?![A-Za-z0-9_-]|\.[A-Za-z0-9_-]))")));
    text.replace(pattern, QStringLiteral("/Users/~"));
}

} // namespace

QString homeMasked(const QString& text) {
    return homeMasked(text, loginName(), AppServices::live().fs->homeDirectory());
}

QString homeMasked(const QString& text, const QString& userName, const QString& homePath,
                   HomeMasking masking) {
    QString masked = text;
    const QString home = QDir::cleanPath(homePath);
    if (home.startsWith(QLatin1Char('/')) && home != QStringLiteral("/") &&
        home != QStringLiteral("/Users/~"))
        replaceFolder(masked, home, masking);
    if (!userName.isEmpty() && userName != QStringLiteral("~"))
        replaceFolder(masked, QStringLiteral("/Users/") + userName, masking);
    return masked;
}

QString loginName() {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

QString cutToCharacters(const QString& text, qsizetype limit) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count == limit) return text.left(finder.position());
    }
    return text;
}

} // namespace qlan
