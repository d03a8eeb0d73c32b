#include "remediation/AdoptiumAPI.h"

#include "remediation/DomainError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <optional>

namespace qlan {

namespace {

constexpr char decodingDomain[] = "DecodingError";

[[noreturn]] void throwMissing(const QString& key) {
    throw DomainError(
        QString::fromLatin1(decodingDomain), 4865,
        QStringLiteral("The data couldn’t be read because it is missing. (key \"%1\")").arg(key));
}

[[noreturn]] void throwMalformed(const QString& where) {
    throw DomainError(
        QString::fromLatin1(decodingDomain), 4864,
        QStringLiteral("The data couldn’t be read because it isn’t in the correct format. (%1)").arg(where));
}

QJsonObject requiredObject(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) throwMissing(key);
    if (!value.isObject()) throwMalformed(key);
    return value.toObject();
}

QString requiredString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) throwMissing(key);
    if (!value.isString()) throwMalformed(key);
    return value.toString();
}

struct Installer {
    QString link;
    QString checksum;
    QString name;
};

struct Asset {
    std::optional<Installer> installer;
    QString releaseName;
};

Asset decodeAsset(const QJsonValue& element) {
    if (!element.isObject()) throwMalformed(QStringLiteral("asset"));
    const QJsonObject asset = element.toObject();
    const QJsonObject binary = requiredObject(asset, QStringLiteral("binary"));
    Asset decoded;
    decoded.releaseName = requiredString(asset, QStringLiteral("release_name"));
    const QJsonValue installer = binary.value(QStringLiteral("installer"));
    if (installer.isUndefined() || installer.isNull()) return decoded;
    if (!installer.isObject()) throwMalformed(QStringLiteral("installer"));
    const QJsonObject fields = installer.toObject();
    decoded.installer = Installer{requiredString(fields, QStringLiteral("link")),
                                  requiredString(fields, QStringLiteral("checksum")),
                                  requiredString(fields, QStringLiteral("name"))};
    return decoded;
}

// Every element decodes, or the whole answer fails.
QList<Asset> decodeAssets(const QByteArray& body) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) throwMalformed(parseError.errorString());
    if (!document.isArray()) throwMalformed(QStringLiteral("expected an array"));
    QList<Asset> assets;
    for (const QJsonValue& element : document.array())
        assets.append(decodeAsset(element));
    return assets;
}

QString queryValue(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

HTTPRequest AdoptiumAPI::request(int featureVersion, const QString& architecture) const {
    QUrl url(baseAddress + QStringLiteral("/v3/assets/latest/") + QString::number(featureVersion) +
                 QStringLiteral("/hotspot"),
             QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        throw DomainError(QString::fromLatin1(URLErrors::domain), URLErrors::badURL,
                          QStringLiteral("unsupported URL"));
    url.setQuery(QStringLiteral("architecture=") + queryValue(architecture) +
                     QStringLiteral("&image_type=jdk&os=mac"),
                 QUrl::StrictMode);

    HTTPRequest request;
    request.url = url;
    request.method = "GET";
    request.setHeader("Accept", "application/json");
    request.timeoutSeconds = requestTimeoutSeconds;
    request.maxBodyBytes = maxAnswerBytes;
    return request;
}

AdoptiumAPI::AssetMetadata AdoptiumAPI::latestAsset(int featureVersion, const QString& architecture,
                                                    std::stop_token stop) const {
    const auto [body, response] = http->data(request(featureVersion, architecture), stop);
    if (response.statusCode != 200)
        throw DomainError(
            QString::fromLatin1(URLErrors::domain), URLErrors::badServerResponse,
            QStringLiteral("The Java builds API answered with HTTP status %1.").arg(response.statusCode));

    const QList<Asset> assets = decodeAssets(body);
    if (assets.isEmpty() || !assets.first().installer)
        throw DomainError(
            QString::fromLatin1(errorDomain), noInstallerAsset,
            QStringLiteral("No installer asset for Java %1 on %2").arg(featureVersion).arg(architecture));
    const Installer& installer = *assets.first().installer;

    // Only a web address is downloaded: a relative or local link is no installer link.
    const QUrl link(installer.link, QUrl::StrictMode);
    const QString scheme = link.scheme().toLower();
    if (installer.link.isEmpty() || !link.isValid() || link.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        throw DomainError(QString::fromLatin1(errorDomain), invalidInstallerURL,
                          QStringLiteral("Invalid installer URL from Adoptium"));

    const QString checksum = installer.checksum.toLower();
    const qsizetype length = checksum.toUcs4().size();
    if (length != 64)
        throw DomainError(QString::fromLatin1(errorDomain), unexpectedChecksumFormat,
                          QStringLiteral("Unexpected checksum format from Adoptium (%1 chars)").arg(length));

    return AssetMetadata{link, checksum, installer.name, assets.first().releaseName};
}

} // namespace qlan
