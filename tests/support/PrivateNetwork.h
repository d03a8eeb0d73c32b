#pragma once
// A network of a test's own: the test runs one test of this program as a child in new user, mount and
// network namespaces (`unshare -rmn`, Linux only), where the loopback interface is the only one and its
// ports are all free, and where the child may lay files of its own over the system's (the resolver's
// configuration, the trusted certificates) for itself alone. Nothing it sends leaves the machine.
//
//   TEST(Thing, Test) {
//       if (const auto why = test::whyNoPrivateNetwork()) GTEST_SKIP() << why->toStdString();
//       const test::ChildRun child = test::runTestInPrivateNetwork("ThingChildProgram.Test");
//       if (const auto why = test::whyChildCouldNotTest(child)) GTEST_SKIP() << why->toStdString();
//       EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
//   }
//   TEST(ThingChildProgram, Test) {
//       if (!test::isPrivateNetworkChild()) GTEST_SKIP() << "runs only as a child program";
//       if (const auto why = test::bringLoopbackUp()) GTEST_SKIP() << why->toStdString();
//       ...
//   }

#include "support/ChildTest.h"

#include <QString>

#include <optional>

namespace qlan::test {

// Why no child can have a network of its own here; none when one can.
std::optional<QString> whyNoPrivateNetwork();

// Runs the test `test` of this program in a network of its own.
ChildRun runTestInPrivateNetwork(const QString& test);

// Why the child could not test (the namespaces were refused, or the child test skipped); none when it
// tested.
std::optional<QString> whyChildCouldNotTest(const ChildRun& run);

// In the child: true when this process is one.
bool isPrivateNetworkChild();

// In the child: brings the loopback interface up; why not when it could not.
std::optional<QString> bringLoopbackUp();

// In the child: lays the file `file` over `target` for this child alone; why not when it could not.
std::optional<QString> layOver(const QString& file, const QString& target);

// A name server on 127.0.0.1:53 (a port only the child may take) that takes questions and never
// answers them: a lookup that asks it waits for the resolver's whole time.
class SilentNameServer {
public:
    SilentNameServer();
    ~SilentNameServer();
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    // Why it does not listen; none when it does.
    std::optional<QString> whyNotListening() const { return whyNot_; }
    // Reads the questions that have come in since the last call and counts them.
    int readQuestions();

private:
    int fd_ = -1;
    std::optional<QString> whyNot_;
};

} // namespace qlan::test
