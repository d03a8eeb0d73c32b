// The Java configuration block of ~/.zprofile: when it counts as already there, and what it adds.

#include "remediation/ZprofileWriter.h"

#include "support/CurrentEdition.h"
#include "support/Sandbox.h"

#include <gtest/gtest.h>

using namespace qlan;
using qlan::test::Sandbox;

TEST(ZprofileWriter, OnlyAnActiveExportOfJavaHomeCounts) {
    test::CurrentEdition edition(ProductConfig::homebrewEdition());
    const QByteArray block = "# Quillane — Java configuration\nexport JAVA_HOME=$(/usr/libexec/java_home)\n";
    const QByteArray pathLine = "export PATH=\"$JAVA_HOME/bin:$PATH\"\n";
    struct Case {
        std::optional<QByteArray> original;
        bool includePath;
        std::optional<QByteArray> added; // absent: already set
    };
    const QList<Case> cases{
        {std::nullopt, true, block + pathLine},
        {std::nullopt, false, block},
        {QByteArray("if true; then\n\t  export "
                    "JAVA_HOME=/Library/Java/JavaVirtualMachines/jdk-21/Contents/Home\nfi\n"),
         true, std::nullopt},
        {QByteArray("# export JAVA_HOME=$(/usr/libexec/java_home)\n"), false, "\n" + block},
        {QByteArray("JAVA_HOME=/opt/jdk\n"), false, "\n" + block},
        {QByteArray("export  JAVA_HOME=/opt/jdk\n"), false, "\n" + block},
        {QByteArray("export PATH=\"$JAVA_HOME/bin:$PATH\""), true, "\n\n" + block + pathLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.original ? c.original->toStdString() : "<missing>");
        Sandbox sandbox;
        if (c.original) sandbox.writeFile("/Users/tester/.zprofile", *c.original);
        const ZprofileWriter writer = ZprofileWriter::forHome(sandbox.services().fs);
        const FileAppendWriter::DiffPreview preview = writer.preview(c.includePath);
        EXPECT_EQ(preview.alreadySet, !c.added.has_value());
        EXPECT_EQ(preview.wasCreated, !c.original.has_value());
        writer.writer.apply(preview);
        const QByteArray original = c.original.value_or(QByteArray());
        EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile"), original + c.added.value_or(QByteArray()));
        EXPECT_EQ(sandbox.exists("/Users/tester/.zprofile.bak"), c.added.has_value());
        if (c.added) {
            EXPECT_EQ(sandbox.readFile("/Users/tester/.zprofile.bak"), original);
        }
    }
}
