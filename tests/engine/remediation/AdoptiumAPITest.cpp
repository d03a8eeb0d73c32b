// The Java builds API client against a loopback server: the request it sends, the answers it accepts and
// the order in which it rejects the others.

#include "remediation/AdoptiumAPI.h"
#include "remediation/DomainError.h"

#include "support/LoopbackHttpServer.h"
#include "support/RecordingHTTPFetcher.h"

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::LoopbackHttpServer;
using qlan::test::LoopbackResponse;
using qlan::test::RecordingHTTPFetcher;

namespace {

const QString sum64 = QString(64, QLatin1Char('a'));

QByteArray asset(const QString& installer, const QString& releaseName = "\"jdk-21.0.5+11\"") {
    return QStringLiteral(R"({"binary":{"os":"mac"%1},"release_name":%2,"vendor":"eclipse"})")
        .arg(installer.isEmpty() ? QString() : ",\"installer\":" + installer, releaseName)
        .toUtf8();
}

QByteArray installer(const QString& link, const QString& checksum, const QString& name = "OpenJDK21.pkg") {
    return QStringLiteral(R"({"link":"%1","checksum":"%2","name":"%3"})").arg(link, checksum, name).toUtf8();
}

QByteArray array(std::initializer_list<QByteArray> elements) {
    QByteArrayList list(elements);
    return "[" + list.join(",") + "]";
}

struct Fixture {
    LoopbackHttpServer server;
    std::shared_ptr<RecordingHTTPFetcher> http = std::make_shared<RecordingHTTPFetcher>();
    AdoptiumAPI api{http, server.url("/").toString(QUrl::StripTrailingSlash)};
    const QString path = "/v3/assets/latest/21/hotspot";

    void answer(int status, const QByteArray& body) {
        server.route(path, LoopbackResponse{status, {}, body});
    }
};

// The message of what latestAsset throws, or "ok: <checksum> <link> <name> <release>".
QString outcome(Fixture& fixture) {
    try {
        const auto meta = fixture.api.latestAsset(21, "x64");
        return "ok: " + meta.checksum + " " + meta.downloadURL.toString() + " " + meta.filename + " " +
               meta.releaseName;
    } catch (const PlatformError& error) {
        return error.localizedDescription();
    }
}

} // namespace

TEST(AdoptiumAPI, SendsOneGetWithTheFixedPathQueryHeaderAndTimeLimit) {
    Fixture fixture;
    fixture.answer(200, array({asset(installer("https://example.test/a.pkg", sum64))}));
    ASSERT_TRUE(outcome(fixture).startsWith("ok: ")) << outcome(fixture).toStdString();

    const auto received = fixture.server.requests();
    ASSERT_FALSE(received.isEmpty());
    EXPECT_EQ(received.first().method, "GET");
    EXPECT_EQ(received.first().target, "/v3/assets/latest/21/hotspot?architecture=x64&image_type=jdk&os=mac");
    EXPECT_EQ(received.first().header("Accept"), "application/json");

    const HTTPRequest sent = fixture.http->requests().first();
    EXPECT_EQ(sent.headers, (HTTPHeaders{{"Accept", "application/json"}}));
    EXPECT_EQ(sent.timeoutSeconds, 20.0);
    EXPECT_FALSE(sent.ignoreCache);
    EXPECT_TRUE(sent.body.isEmpty());

    // The architecture word is a query value, never query structure.
    EXPECT_EQ(fixture.api.request(17, "x64&os=linux #").url.query(QUrl::FullyEncoded),
              "architecture=x64%26os%3Dlinux%20%23&image_type=jdk&os=mac");
}

TEST(AdoptiumAPI, AnswersAndTheirOutcomesFirstFailingCheckFirst) {
    const QString upper = QString(64, QLatin1Char('B'));
    const QString link = "https://example.test/jdk.pkg";
    const QString missing = "The data couldn’t be read because it is missing.";
    const QString malformed = "The data couldn’t be read because it isn’t in the correct format.";
    struct Case {
        const char* name;
        int status;
        QByteArray body;
        QString expected; // exact, or a prefix ending in "…"
    } cases[] = {
        {"accepted", 200, array({asset(installer(link, sum64))}),
         "ok: " + sum64 + " " + link + " OpenJDK21.pkg jdk-21.0.5+11"},
        {"upper-case checksum lower-cased", 200, array({asset(installer(link, upper))}),
         "ok: " + upper.toLower() + " " + link + " OpenJDK21.pkg jdk-21.0.5+11"},
        {"non-hex checksum of 64 characters", 200, array({asset(installer(link, QString(64, 'z')))}),
         "ok: " + QString(64, 'z') + " " + link + " OpenJDK21.pkg jdk-21.0.5+11"},
        {"204 with a good body", 204, array({asset(installer(link, sum64))}),
         "The Java builds API answered with HTTP status 204."},
        {"304", 304, {}, "The Java builds API answered with HTTP status 304."},
        {"not JSON", 200, "<html>", malformed + "…"},
        {"not an array", 200, "{}", malformed + "…"},
        {"second element lacks its release name", 200,
         array({asset(installer(link, sum64)), asset("", "null")}), missing + "…"},
        {"installer link of the wrong type", 200, array({asset(R"({"link":1,"checksum":"x","name":"n"})")}),
         malformed + "…"},
        {"empty array", 200, "[]", "No installer asset for Java 21 on x64"},
        {"installer null", 200, array({asset("null")}), "No installer asset for Java 21 on x64"},
        {"installer absent, a later one present", 200, array({asset(""), asset(installer(link, sum64))}),
         "No installer asset for Java 21 on x64"},
        {"link not a URL", 200, array({asset(installer("http://bad host/x", sum64))}),
         "Invalid installer URL from Adoptium"},
        {"link to a local file", 200, array({asset(installer("file:///etc/passwd", sum64))}),
         "Invalid installer URL from Adoptium"},
        {"checksum of 63", 200, array({asset(installer(link, QString(63, 'a')))}),
         "Unexpected checksum format from Adoptium (63 chars)"},
        {"checksum of 65", 200, array({asset(installer(link, QString(65, 'a')))}),
         "Unexpected checksum format from Adoptium (65 chars)"},
        {"empty checksum", 200, array({asset(installer(link, ""))}),
         "Unexpected checksum format from Adoptium (0 chars)"},
        {"bad link is decided before a bad checksum", 200, array({asset(installer("", "a"))}),
         "Invalid installer URL from Adoptium"},
    };
    for (const Case& c : cases) {
        Fixture fixture;
        fixture.answer(c.status, c.body);
        const QString got = outcome(fixture);
        if (c.expected.endsWith("…"))
            EXPECT_TRUE(got.startsWith(c.expected.chopped(1))) << c.name << ": " << got.toStdString();
        else
            EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(AdoptiumAPI, TransportErrorsPassUnchanged) {
    Fixture fixture;
    fixture.http->timeoutOverride = 0.3;
    fixture.server.route(fixture.path, LoopbackResponse{.status = 200, .body = "[]", .headDelayMs = 3000});
    try {
        fixture.api.latestAsset(21, "x64");
        ADD_FAILURE() << "no time-out";
    } catch (const std::exception& error) {
        EXPECT_TRUE(isTimeout(error)) << error.what();
    }

    // An answer that never ends is refused after a few megabytes.
    fixture.http->timeoutOverride.reset();
    fixture.server.route(fixture.path, LoopbackResponse{.status = 200, .body = "[", .endless = true});
    EXPECT_EQ(outcome(fixture), "The response exceeds the 4 MB limit for this request.");

    std::stop_source stop;
    stop.request_stop();
    try {
        fixture.api.latestAsset(21, "x64", stop.get_token());
        ADD_FAILURE() << "no cancellation";
    } catch (const std::exception& error) {
        EXPECT_TRUE(isCancellation(error)) << error.what();
    }
}
