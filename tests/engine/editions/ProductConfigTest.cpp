#include "editions/ProductConfig.h"
#include "editions/BrandConstants.h"

#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace qlan;

TEST(ProductConfig, CurrentIsTheJavaEditionUntilTheEntryReplacesIt) {
    const ProductConfig before = ProductConfig::current();
    EXPECT_EQ(before.appID, "vrl-java");
    EXPECT_EQ(before.flow, SetupFlow::diagnose);
    EXPECT_EQ(before.userDefaultsPrefix, QString(brand::javaEditionIdentifier));

    // The entry assigns a guided-setup edition once; every later read sees it.
    ProductConfig brew = ProductConfig::javaEdition();
    brew.appID = "qlan-brew";
    brew.userDefaultsPrefix = brand::homebrewEditionIdentifier;
    brew.flow = SetupFlow::setupWorkflow;
    ProductConfig::setCurrent(brew);
    EXPECT_EQ(ProductConfig::current().appID, "qlan-brew");
    EXPECT_EQ(ProductConfig::current().flow, SetupFlow::setupWorkflow);
    EXPECT_EQ(ProductConfig::current().userDefaultsPrefix, QString(brand::homebrewEditionIdentifier));

    // Reads are copies: changing one changes neither the current record nor the Java edition.
    ProductConfig copy = ProductConfig::current();
    copy.displayName = "changed";
    EXPECT_EQ(ProductConfig::current().displayName, "Vorrel for Java");
    EXPECT_EQ(ProductConfig::javaEdition().appID, "vrl-java");

    ProductConfig::setCurrent(ProductConfig::javaEdition());
}

TEST(ProductConfig, JavaEditionRecord) {
    const ProductConfig java = ProductConfig::javaEdition();
    EXPECT_EQ(java.displayName, "Vorrel for Java");
    EXPECT_EQ(java.appSupportDirName, "Vorrel");
    EXPECT_EQ(java.shellConfigMarker, "Vorrel");
    EXPECT_TRUE(java.datedShellMarker);
    EXPECT_EQ(java.cacheDirName, "Vorrel");
    EXPECT_EQ(java.copy,
              (ProductCopy{"Diagnose and fix common Mac setup errors.", "Diagnose Java", std::nullopt}));
    EXPECT_EQ(java.consent, ConsentCopy::standard());
    EXPECT_EQ(java.consent.privacyBullets.at(3), "The “How did we do?” score is reported anonymously.");
    EXPECT_EQ(java.consent.whatBullets.size(), 3);
    EXPECT_EQ(java.consent.privacyBullets.size(), 5);
    ASSERT_NE(java.diagnosisProfile, nullptr);
    EXPECT_EQ(java.diagnosisProfile->diagnose({}), Diagnosis::noJDK()); // a Java profile, not the inert one

    const QString guide = QStringLiteral("https://") + brand::guideSiteHost;
    EXPECT_EQ(java.urls.articleBase, QUrl(guide));
    EXPECT_EQ(java.urls.privacy, QUrl(guide + "/vorrel/privacy"));
    EXPECT_EQ(java.urls.installMethods, QUrl(guide + "/java/download"));
    EXPECT_EQ(java.urls.troubleshooting, QUrl(guide + "/java/unable-to-locate"));
    EXPECT_EQ(java.urls.envConfig, QUrl(guide + "/java/java-home"));
    EXPECT_EQ(java.urls.commandLineTools, QUrl(guide + "/commandlinetools"));
    EXPECT_EQ(java.urls.macosUpgrade, QUrl(guide + "/macos/upgrade"));

    const QUrl warp = java.urls.warpAffiliate;
    EXPECT_EQ(warp.scheme(), "https");
    EXPECT_EQ(warp.path(), "/mac-terminal");
    const auto items = QUrlQuery(warp).queryItems();
    const QList<QPair<QString, QString>> expected = {{"utm_source", "pellinor"},
                                                     {"utm_medium", "app"},
                                                     {"utm_campaign", "pellinor_20260516"},
                                                     {"utm_content", "vorrel_audit"}};
    EXPECT_EQ(items, expected);
}

TEST(ProductConfig, SetupFlowText) {
    EXPECT_EQ(fromText<SetupFlow>("setupWorkflow"), SetupFlow::setupWorkflow);
    EXPECT_EQ(fromText<SetupFlow>("diagnose"), SetupFlow::diagnose);
    EXPECT_EQ(toText(SetupFlow::setupWorkflow), "setupWorkflow");
    EXPECT_FALSE(fromText<SetupFlow>("SetupWorkflow").has_value());
    EXPECT_FALSE(fromText<SetupFlow>("").has_value());
}

TEST(ProductConfig, GuidedSetupPartsStartEmptyAndStayEmptyForTheJavaEdition) {
    const ProductConfig plain;
    EXPECT_EQ(plain.spineProvider, nullptr);
    EXPECT_EQ(plain.verifier, nullptr);
    EXPECT_EQ(plain.prober, nullptr);
    EXPECT_EQ(plain.spineCopy, nullptr);
    EXPECT_EQ(plain.sharedDomainCopy, SharedDomainCopy::standard());
    EXPECT_EQ(plain.spinePolicy, SpineRenderPolicy{});

    const ProductConfig java = ProductConfig::javaEdition();
    EXPECT_EQ(java.spineProvider, nullptr);
    EXPECT_EQ(java.verifier, nullptr);
    EXPECT_EQ(java.prober, nullptr);
    EXPECT_EQ(java.spineCopy, nullptr);
    EXPECT_FALSE(java.goalPrompt.has_value());
    EXPECT_FALSE(java.nextStepPrompt.has_value());
    EXPECT_TRUE(java.offerCatalog.isEmpty());
    EXPECT_EQ(java.sharedDomainCopy, SharedDomainCopy::standard());
    EXPECT_EQ(java.spinePolicy, SpineRenderPolicy{});
}
