#include "Printers.h"
#include "platform/JdkReleaseFileReader.h"
#include "platform/ProbeSupport.h"
#include "platform/Probes.h"

#include <gtest/gtest.h>

using namespace qlan;
using Entries = QMap<QString, QString>;

TEST(JdkReleaseFileReader, ParsesKeyValueLines) {
    struct Case {
        const char* line;
        Entries stored;
    };
    const Case cases[] = {
        {R"(JAVA_VERSION="21.0.2")", {{"JAVA_VERSION", "21.0.2"}}},
        {R"(IMPLEMENTOR="Eclipse Adoptium")", {{"IMPLEMENTOR", "Eclipse Adoptium"}}},
        {"KEY=value", {{"KEY", "value"}}},
        {R"(KEY = "value")", {{"KEY", "value"}}},
        {"\tKEY\t=\t value \t", {{"KEY", "value"}}},
        {R"(KEY=")", {{"KEY", "\""}}},
        {R"(KEY="")", {{"KEY", ""}}},
        {"KEY=", {{"KEY", ""}}},
        {"A=b=c", {{"A", "b=c"}}},
        {"=x", {}},
        {"  =x", {}},
        {"# a comment without an equals sign", {}},
        {"#KEY=kept", {{"#KEY", "kept"}}},
        {R"(KEY="say "hi" \n")", {{"KEY", R"(say "hi" \n)"}}},
        {R"(KEY='single')", {{"KEY", "'single'"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JdkReleaseFileReader::parse(QString::fromUtf8(c.line)), c.stored) << c.line;
}

TEST(JdkReleaseFileReader, SplitsAtEveryLineBreakAndLaterKeysWin) {
    const QString text = QStringLiteral("A=1\r\nB=2\rC=3\vD=4\fE=5\u0085F=6\u2028G=7\u2029H=8\n\n\nA=9");
    EXPECT_EQ(JdkReleaseFileReader::parse(text), Entries({{"A", "9"},
                                                          {"B", "2"},
                                                          {"C", "3"},
                                                          {"D", "4"},
                                                          {"E", "5"},
                                                          {"F", "6"},
                                                          {"G", "7"},
                                                          {"H", "8"}}));
    EXPECT_TRUE(JdkReleaseFileReader::parse(QString()).isEmpty());

    const QString realFile = QStringLiteral("IMPLEMENTOR=\"Eclipse Adoptium\"\n"
                                            "IMPLEMENTOR_VERSION=\"Temurin-21.0.2+13\"\n"
                                            "JAVA_RUNTIME_VERSION=\"21.0.2+13-LTS\"\n"
                                            "JAVA_VERSION=\"21.0.2\"\n"
                                            "JAVA_VERSION_DATE=\"2024-01-16\"\n"
                                            "MODULES=\"java.base java.compiler\"\n"
                                            "OS_ARCH=\"aarch64\"\n");
    const Entries parsed = JdkReleaseFileReader::parse(realFile);
    EXPECT_EQ(parsed.value("JAVA_VERSION"), "21.0.2");
    EXPECT_EQ(parsed.value("MODULES"), "java.base java.compiler");
    EXPECT_EQ(parsed.size(), 7);
}

TEST(ProbeText, SplitsLinesAtEveryBreakAndDropsEmptyOnes) {
    EXPECT_EQ(probing::splitLines("a\n\nb"), QStringList({"a", "b"}));
    EXPECT_EQ(probing::splitLines("a\r\nb\r"), QStringList({"a", "b"}));
    EXPECT_EQ(probing::splitLines(QStringLiteral("a\u2028b\u0085c\vd\fe\u2029")),
              QStringList({"a", "b", "c", "d", "e"}));
    EXPECT_EQ(probing::splitLines("\n\r\n"), QStringList());
    EXPECT_EQ(probing::splitLines(" "), QStringList({" "}));
    EXPECT_EQ(probing::trimSpacesAndTabs(" \t a b \t "), "a b");
    EXPECT_EQ(probing::trimSpacesAndTabs("\na\n"), "\na\n");
}

TEST(JavaHomeList, ParsesEntryLinesInOrderAndSkipsEverythingElse) {
    const QString output =
        QStringLiteral("Matching Java Virtual Machines (4):\n"
                       "    21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" "
                       "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n"
                       "    17.0.9 (x86_64) \"Amazon.com Inc.\" - \"Amazon Corretto 17\" "
                       "/Users/me/Library/Java/JavaVirtualMachines/corretto-17.0.9/Contents/Home  \t\n"
                       "\t1.8.0_392 (x86_64) \"Azul Systems, Inc.\" - \"Zulu 8.74.0.17\" "
                       "/Library/Java/JavaVirtualMachines/zulu-8.jdk/Contents/Home\r\n"
                       "    25-ea (arm64) \"\" - \"OpenJDK 25-ea\" /opt/jdk 25/Contents/Home\n"
                       "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home\n");
    const QList<JDKInfo> expected = {
        {"21.0.2", "Eclipse Adoptium", "arm64",
         "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home"},
        {"17.0.9", "Amazon.com Inc.", "x86_64",
         "/Users/me/Library/Java/JavaVirtualMachines/corretto-17.0.9/Contents/Home"},
        {"1.8.0_392", "Azul Systems, Inc.", "x86_64",
         "/Library/Java/JavaVirtualMachines/zulu-8.jdk/Contents/Home"},
        {"25-ea", "", "arm64", "/opt/jdk 25/Contents/Home"},
    };
    EXPECT_EQ(Probes::parseJavaHomeList(output), expected);

    // The message of a Mac without JVMs, and lines of the wrong shape, give nothing.
    EXPECT_TRUE(Probes::parseJavaHomeList("Unable to find any JVMs matching version \"(null)\".\n"
                                          "No Java runtime present, try --request to install.\n")
                    .isEmpty());
    EXPECT_TRUE(Probes::parseJavaHomeList(
                    // no leading white space
                    "21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" /Library/Java/x/Contents/Home\n"
                    // a relative path
                    "    21.0.2 (arm64) \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" Library/Contents/Home\n"
                    // no architecture
                    "    21.0.2 \"Eclipse Adoptium\" - \"OpenJDK 21.0.2\" /Library/Java/x/Contents/Home\n"
                    // no display name
                    "    21.0.2 (arm64) \"Eclipse Adoptium\" /Library/Java/x/Contents/Home\n"
                    "Matching Java Virtual Machines (0):\n")
                    .isEmpty());
    EXPECT_TRUE(Probes::parseJavaHomeList(QString()).isEmpty());
}

TEST(LoginShellJavaHome, TheLastMarkerLineDecides) {
    struct Case {
        const char* output;
        std::optional<QString> value;
    };
    const Case cases[] = {
        {"__VRL_JAVA_HOME__:/Library/Java/JavaVirtualMachines/t.jdk/Contents/Home\n",
         "/Library/Java/JavaVirtualMachines/t.jdk/Contents/Home"},
        {"__VRL_JAVA_HOME__:\n", std::nullopt},
        {"__VRL_JAVA_HOME__:/a\n__VRL_JAVA_HOME__:\n", std::nullopt},
        {"__VRL_JAVA_HOME__:/a\n__VRL_JAVA_HOME__:/b\nbye from .zlogin\n", "/b"},
        {"welcome\n__VRL_JAVA_HOME__: \t /opt/jdk \t \n", "/opt/jdk"},
        {"noise __VRL_JAVA_HOME__:/x __VRL_JAVA_HOME__:/y", "/x __VRL_JAVA_HOME__:/y"},
        {"__VRL_JAVA_HOME__ without colon /x", std::nullopt},
        {"", std::nullopt},
        {"zsh: command not found: echo", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Probes::parseLoginShellJavaHome(QString::fromUtf8(c.output)), c.value) << c.output;
}
