#include "catalog/LanguageDetector.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace qlan;
using Finding = LanguageDetector::Finding;

namespace {

// A sandboxed Mac with helpers for the files the detector looks at.
struct Mac {
    test::Sandbox sandbox;
    LanguageDetector detector{sandbox.services().fs};
    Finding detect(QLANLanguage language) const { return detector.detect(language); }

    QString root() const { return sandbox.root(); }
    QString home() const { return sandbox.home(); }
    QString map(const QString& macPath) const { return sandbox.map(macPath); }
    void makeFile(const QString& macPath) { sandbox.writeFile(macPath, {}); }
    void makeFolder(const QString& macPath) { sandbox.makeDirectory(macPath); }
    void makeHomeFile(const QString& relative) { makeFile(home() + QLatin1Char('/') + relative); }
    void makeHomeFolder(const QString& relative) { makeFolder(home() + QLatin1Char('/') + relative); }
};

} // namespace

TEST(LanguageDetector, FindsNothingOnAnEmptyMacAndNeverLooksOutsideItsFileSystem) {
    Mac mac;
    ASSERT_TRUE(mac.home().startsWith(mac.root()));
    for (QLANLanguage language : allCases<QLANLanguage>()) {
        SCOPED_TRACE(toText(language).toStdString());
        EXPECT_EQ(mac.detect(language), Finding::notFound());
    }
    EXPECT_EQ(LanguageDetector::statusText(Finding::notFound()), std::nullopt);
    // Without a file system the detector answers nothing found rather than failing.
    EXPECT_EQ(LanguageDetector{}.detect(QLANLanguage::python), Finding::notFound());
}

TEST(LanguageDetector, PythonChecksRunInOrderAndEmptyFoldersDoNotCount) {
    Mac mac;
    mac.makeFile(QStringLiteral("/usr/bin/python3"));
    EXPECT_EQ(mac.detect(QLANLanguage::python), Finding::systemInstall());
    mac.makeHomeFolder(QStringLiteral("anaconda3"));
    EXPECT_EQ(mac.detect(QLANLanguage::python), Finding::managedBy(QStringLiteral("conda")));
    // An existing asdf folder counts even when empty.
    mac.makeHomeFolder(QStringLiteral(".asdf/installs/python"));
    EXPECT_EQ(mac.detect(QLANLanguage::python), Finding::managedBy(QStringLiteral("asdf")));
    // An empty pyenv versions folder does not count as pyenv.
    mac.makeHomeFolder(QStringLiteral(".pyenv/versions"));
    EXPECT_EQ(mac.detect(QLANLanguage::python), Finding::managedBy(QStringLiteral("asdf")));
    mac.makeHomeFolder(QStringLiteral(".pyenv/versions/3.12.1"));
    EXPECT_EQ(mac.detect(QLANLanguage::python), Finding::managedBy(QStringLiteral("pyenv")));
    // A file where the uv folder should be cannot be listed: it does not count.
    mac.makeHomeFile(QStringLiteral(".local/share/uv/python"));
    EXPECT_EQ(mac.detect(QLANLanguage::python), Finding::managedBy(QStringLiteral("pyenv")));
    QFile::remove(mac.map(QStringLiteral("/Users/tester/.local/share/uv/python")));
    mac.makeHomeFolder(QStringLiteral(".local/share/uv/python/cpython-3.12"));
    const Finding uv = mac.detect(QLANLanguage::python);
    EXPECT_EQ(uv, Finding::ours(QStringLiteral("uv")));
    EXPECT_EQ(LanguageDetector::statusText(uv), QStringLiteral("already set up (uv)"));
}

TEST(LanguageDetector, NodeRubyAndRustFollowTheirChecks) {
    Mac node;
    node.makeFile(QStringLiteral("/usr/local/bin/node"));
    EXPECT_EQ(node.detect(QLANLanguage::node), Finding::systemInstall());
    node.makeHomeFolder(QStringLiteral("Library/Application Support/fnm"));
    EXPECT_EQ(node.detect(QLANLanguage::node), Finding::managedBy(QStringLiteral("fnm")));
    node.makeHomeFolder(QStringLiteral(".asdf/installs/nodejs"));
    EXPECT_EQ(node.detect(QLANLanguage::node), Finding::managedBy(QStringLiteral("asdf")));
    node.makeHomeFile(QStringLiteral(".volta/bin/node"));
    EXPECT_EQ(node.detect(QLANLanguage::node), Finding::managedBy(QStringLiteral("volta")));
    node.makeHomeFolder(QStringLiteral(".nvm/versions/node/v20.0.0"));
    const Finding nvm = node.detect(QLANLanguage::node);
    EXPECT_EQ(nvm, Finding::managedBy(QStringLiteral("nvm")));
    EXPECT_EQ(LanguageDetector::statusText(nvm),
              QStringLiteral("managed by nvm — installing ours may conflict"));
    node.makeHomeFolder(QStringLiteral(".local/share/mise/installs/node/22"));
    EXPECT_EQ(node.detect(QLANLanguage::node), Finding::ours(QStringLiteral("mise")));

    Mac ruby;
    ruby.makeFile(QStringLiteral("/usr/bin/ruby"));
    const Finding system = ruby.detect(QLANLanguage::ruby);
    EXPECT_EQ(system, Finding::systemInstall());
    EXPECT_EQ(LanguageDetector::statusText(system), QStringLiteral("a system install was found"));
    ruby.makeHomeFolder(QStringLiteral(".asdf/installs/ruby"));
    EXPECT_EQ(ruby.detect(QLANLanguage::ruby), Finding::managedBy(QStringLiteral("asdf")));
    ruby.makeHomeFolder(QStringLiteral(".rubies/ruby-3.3"));
    EXPECT_EQ(ruby.detect(QLANLanguage::ruby), Finding::managedBy(QStringLiteral("chruby")));
    ruby.makeHomeFolder(QStringLiteral(".rvm/rubies/ruby-3.2"));
    EXPECT_EQ(ruby.detect(QLANLanguage::ruby), Finding::managedBy(QStringLiteral("rvm")));
    ruby.makeHomeFolder(QStringLiteral(".rbenv/versions/3.1"));
    EXPECT_EQ(ruby.detect(QLANLanguage::ruby), Finding::managedBy(QStringLiteral("rbenv")));
    ruby.makeHomeFolder(QStringLiteral(".local/share/mise/installs/ruby/3.3"));
    EXPECT_EQ(ruby.detect(QLANLanguage::ruby), Finding::ours(QStringLiteral("mise")));

    Mac rust;
    rust.makeFile(QStringLiteral("/opt/homebrew/bin/rustc"));
    EXPECT_EQ(rust.detect(QLANLanguage::rust), Finding::systemInstall());
    // rustc under ~/.cargo/bin is ours even with an empty toolchains folder.
    rust.makeHomeFolder(QStringLiteral(".rustup/toolchains"));
    EXPECT_EQ(rust.detect(QLANLanguage::rust), Finding::systemInstall());
    rust.makeHomeFile(QStringLiteral(".cargo/bin/rustc"));
    EXPECT_EQ(rust.detect(QLANLanguage::rust), Finding::ours(QStringLiteral("rustup")));
}

TEST(LanguageDetector, JavaTellsTemurinFromOtherBundles) {
    const QString jvms = QStringLiteral("/Library/Java/JavaVirtualMachines/");

    Mac temurin;
    temurin.makeFolder(jvms + QStringLiteral("temurin-21.jdk"));
    const Finding ours = temurin.detect(QLANLanguage::java);
    EXPECT_EQ(ours, Finding::ours(QStringLiteral("Temurin")));
    EXPECT_EQ(LanguageDetector::statusText(ours), QStringLiteral("already set up (Temurin)"));

    Mac other;
    other.makeFolder(jvms + QStringLiteral("zulu-17.jdk"));
    EXPECT_EQ(other.detect(QLANLanguage::java), Finding::systemInstall());
    // The managers come before a plain bundle, after Temurin.
    other.makeHomeFolder(QStringLiteral(".jenv/versions/17"));
    EXPECT_EQ(other.detect(QLANLanguage::java), Finding::managedBy(QStringLiteral("jenv")));
    other.makeHomeFolder(QStringLiteral(".sdkman/candidates/java/21-tem"));
    EXPECT_EQ(other.detect(QLANLanguage::java), Finding::managedBy(QStringLiteral("SDKMAN")));

    // "temurin-" without the ".jdk" ending does not count; nor does the prefix in another case.
    Mac almost;
    almost.makeFolder(jvms + QStringLiteral("temurin-21"));
    almost.makeFolder(jvms + QStringLiteral("Temurin-21.jdk"));
    EXPECT_EQ(almost.detect(QLANLanguage::java), Finding::systemInstall());
    Mac notABundle;
    notABundle.makeFolder(jvms + QStringLiteral("temurin-21"));
    EXPECT_EQ(notABundle.detect(QLANLanguage::java), Finding::notFound());
}

TEST(QLANLanguage, TextsAndExactMatch) {
    EXPECT_EQ(allCases<QLANLanguage>(),
              (std::array{QLANLanguage::python, QLANLanguage::node, QLANLanguage::java, QLANLanguage::ruby,
                          QLANLanguage::rust}));
    QStringList texts, names, commands;
    for (QLANLanguage language : allCases<QLANLanguage>()) {
        texts << toText(language);
        names << displayName(language);
        commands << versionCommand(language);
        EXPECT_EQ(fromText<QLANLanguage>(toText(language)), language);
    }
    EXPECT_EQ(texts, (QStringList{"python", "node", "java", "ruby", "rust"}));
    EXPECT_EQ(names, (QStringList{"Python", "JavaScript (Node)", "Java", "Ruby", "Rust"}));
    EXPECT_EQ(commands, (QStringList{"python3 --version", "node --version", "java -version", "ruby --version",
                                     "cargo --version"}));
    EXPECT_EQ(fromText<QLANLanguage>(QStringLiteral("Python")), std::nullopt);
    EXPECT_EQ(fromText<QLANLanguage>(QStringLiteral("javascript")), std::nullopt);
}

TEST(QLANLanguage, InstallPlans) {
    using L = QLANLanguage;
    using R = SetupRemediation;
    EXPECT_TRUE(remediationPlan({}).isEmpty());
    EXPECT_EQ(remediationPlan({L::python}), QList<R>{R::installUv()});
    EXPECT_EQ(remediationPlan({L::rust}), QList<R>{R::installRustup()});
    EXPECT_EQ(remediationPlan({L::java}), QList<R>{R::installTemurin()});
    EXPECT_EQ(remediationPlan({L::node}), (QList<R>{R::installMise(), R::installNodeViaMise()}));
    EXPECT_EQ(remediationPlan({L::ruby}), (QList<R>{R::installMise(), R::installRubyViaMise()}));
    EXPECT_EQ(remediationPlan({L::python, L::rust}),
              (QList<R>{R::installUv(), R::installMise(), R::installRustViaMise()}));
    EXPECT_EQ(remediationPlan({L::java, L::python}),
              (QList<R>{R::installUv(), R::installMise(), R::installTemurin()}));
    EXPECT_EQ(remediationPlan({L::node, L::rust}),
              (QList<R>{R::installMise(), R::installNodeViaMise(), R::installRustViaMise()}));
    const QList<R> everything{R::installUv(),          R::installMise(),    R::installNodeViaMise(),
                              R::installRubyViaMise(), R::installTemurin(), R::installRustViaMise()};
    EXPECT_EQ(remediationPlan({L::node, L::ruby, L::rust, L::python, L::java}), everything);
    EXPECT_EQ(remediationPlan({L::java, L::rust, L::ruby, L::python, L::node}), everything);
}
