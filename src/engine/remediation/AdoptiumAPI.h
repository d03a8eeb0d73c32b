#pragma once
// The client of the Java builds API: the latest JDK installer package for macOS of one feature version
// and architecture, with its link and SHA-256 checksum checked for form. It neither downloads nor
// installs.

#include "platform/HTTPFetching.h"
#include "remediation/InstallSources.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <stop_token>

namespace qlan {

struct AdoptiumAPI {
    struct AssetMetadata {
        QUrl downloadURL;
        QString checksum; // lower case, 64 characters
        QString filename;
        QString releaseName;
        friend bool operator==(const AssetMetadata&, const AssetMetadata&) = default;
    };

    // The errors of this client (domain "AdoptiumAPI").
    static constexpr char errorDomain[] = "AdoptiumAPI";
    enum ErrorCode { noInstallerAsset = 1, invalidInstallerURL = 2, unexpectedChecksumFormat = 3 };

    static constexpr double requestTimeoutSeconds = 20.0;
    // The answer is a short JSON list of a few kilobytes; anything past a few megabytes is refused.
    static constexpr qint64 maxAnswerBytes = 4 * 1024 * 1024;

    std::shared_ptr<HTTPFetching> http;
    // Scheme and host (and port) of the API; the path and query are added per request.
    QString baseAddress = QString::fromLatin1(InstallSources::adoptiumAPIBase);

    // One GET of the latest asset. Throws, first failing check first: the transport's error unchanged
    // (a time-out after 20 seconds, a cancellation through `stop`), URLErrors::badServerResponse for any
    // status but 200, a decoding error (domain "DecodingError") when any element of the array does not
    // decode, then this client's codes 1 (no installer in the first element), 2 (link not an http(s)
    // address), 3 (checksum not 64 characters).
    AssetMetadata latestAsset(int featureVersion, const QString& architecture,
                              std::stop_token stop = {}) const;

    // The request that latestAsset sends.
    HTTPRequest request(int featureVersion, const QString& architecture) const;
};

} // namespace qlan
