#include "Printers.h"
#include "platform/SystemProfiler.h"

#include <gtest/gtest.h>

using namespace qlan;

TEST(SystemProfilerRules, ArchitectureFromUnameOutput) {
    EXPECT_EQ(SystemProfiler::architectureFromMachine("arm64\n"), Architecture::appleSilicon);
    EXPECT_EQ(SystemProfiler::architectureFromMachine("  x86_64 \r\n"), Architecture::intel);
    EXPECT_EQ(SystemProfiler::architectureFromMachine("i386\n"), Architecture::unknown);
    EXPECT_EQ(SystemProfiler::architectureFromMachine("ARM64"), Architecture::unknown);
    EXPECT_EQ(SystemProfiler::architectureFromMachine("aarch64"), Architecture::unknown);
    EXPECT_EQ(SystemProfiler::architectureFromMachine(""), Architecture::unknown);
}

TEST(SystemProfilerRules, ShellFromTheShellVariable) {
    EXPECT_EQ(SystemProfiler::shellFromVariable("/bin/zsh"), Shell::zsh());
    EXPECT_EQ(SystemProfiler::shellFromVariable("/usr/local/bin/bash"), Shell::bash());
    EXPECT_EQ(SystemProfiler::shellFromVariable("/opt/homebrew/bin/fish"), Shell::fish());
    EXPECT_EQ(SystemProfiler::shellFromVariable("/bin/zsh/"), Shell::zsh());
    EXPECT_EQ(SystemProfiler::shellFromVariable("zsh"), Shell::zsh());
    EXPECT_EQ(SystemProfiler::shellFromVariable("/bin/tcsh"), Shell::other("tcsh"));
    EXPECT_EQ(SystemProfiler::shellFromVariable("/bin/Zsh"), Shell::other("Zsh"));
    EXPECT_EQ(SystemProfiler::shellFromVariable(""), Shell::other("unknown"));
    EXPECT_EQ(SystemProfiler::shellFromVariable("/"), Shell::other("unknown"));
}

TEST(SystemProfilerRules, TheLiveVersionProviderNeverGivesNegativeParts) {
    const OperatingSystemVersion version = SystemProfiler::currentMacOSVersion();
    EXPECT_GE(version.majorVersion, 0);
    EXPECT_GE(version.minorVersion, 0);
    EXPECT_GE(version.patchVersion, 0);
}
