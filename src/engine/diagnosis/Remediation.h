#pragma once
// The fixes that the Java diagnosis flow and the audit's foundation and terminal stages can offer,
// each with a stable id, a button title and a one-line rationale.

#include <QString>

namespace qlan {

struct Remediation {
    enum class Kind {
        installTemurinViaBrew,      // name = cask
        installViaSDKMAN,           // name = candidate
        installViaMise,             // name = version
        installViaPKG,              // number = version
        installViaPKGThenJEnv,      // number = version
        writeJavaHomeToZprofile,    // jdkPath
        setJavaHomeViaSDKMAN,       // name = candidate
        setJavaHomeViaMise,         // name = version
        setJavaHomeViaJenv,         // jdkPath, number = majorVersion
        keepCurrentLegacyJava,      // jdkPath
        installHomebrewThenTemurin, // name = temurinCask
        installWarpViaBrew,         // name = cask
        installHomebrewThenWarp,    // name = warpCask
        installHomebrew,            // no payload
    };

    Kind kind = Kind::installHomebrew;
    QString name;    // the text payload (cask, candidate, version identifier)
    int number = 0;  // the integer payload (feature version, major version)
    QString jdkPath; // the JDK home folder payload; the factories drop a trailing slash

    static Remediation installTemurinViaBrew(QString cask) { return make(Kind::installTemurinViaBrew, cask); }
    static Remediation installViaSDKMAN(QString candidate) { return make(Kind::installViaSDKMAN, candidate); }
    static Remediation installViaMise(QString version) { return make(Kind::installViaMise, version); }
    static Remediation installViaPKG(int version) { return make(Kind::installViaPKG, {}, version); }
    static Remediation installViaPKGThenJEnv(int version) {
        return make(Kind::installViaPKGThenJEnv, {}, version);
    }
    static Remediation writeJavaHomeToZprofile(QString jdkPath) {
        return make(Kind::writeJavaHomeToZprofile, {}, 0, jdkPath);
    }
    static Remediation setJavaHomeViaSDKMAN(QString candidate) {
        return make(Kind::setJavaHomeViaSDKMAN, candidate);
    }
    static Remediation setJavaHomeViaMise(QString version) { return make(Kind::setJavaHomeViaMise, version); }
    static Remediation setJavaHomeViaJenv(QString jdkPath, int majorVersion) {
        return make(Kind::setJavaHomeViaJenv, {}, majorVersion, jdkPath);
    }
    static Remediation keepCurrentLegacyJava(QString jdkPath) {
        return make(Kind::keepCurrentLegacyJava, {}, 0, jdkPath);
    }
    static Remediation installHomebrewThenTemurin(QString temurinCask) {
        return make(Kind::installHomebrewThenTemurin, temurinCask);
    }
    static Remediation installWarpViaBrew(QString cask) { return make(Kind::installWarpViaBrew, cask); }
    static Remediation installHomebrewThenWarp(QString warpCask) {
        return make(Kind::installHomebrewThenWarp, warpCask);
    }
    static Remediation installHomebrew() { return make(Kind::installHomebrew); }

    // The stable id, such as "brew:temurin@25" or "jenv-home:21:/Library/Java/...".
    QString id() const;
    // The button title.
    QString title() const;
    // The one-line reason shown under the choice.
    QString rationale() const;

    // Same case and equal payloads (the factories leave the fields of other cases empty).
    friend bool operator==(const Remediation&, const Remediation&) = default;

private:
    static Remediation make(Kind kind, QString name = {}, int number = 0, QString jdkPath = {}) {
        Remediation value;
        value.kind = kind;
        value.name = std::move(name);
        value.number = number;
        value.jdkPath = withoutTrailingSlash(std::move(jdkPath));
        return value;
    }
    // The path as a file URL made from it writes it, so that "/x/Home/" and "/x/Home" are one
    // payload with one id.
    static QString withoutTrailingSlash(QString path);
};

} // namespace qlan
