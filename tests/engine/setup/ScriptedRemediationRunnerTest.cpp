// The scripted runner that the action-sheet tests stand on: scripted streams, the record of calls, and
// jobs that stop when their consumer goes away.

#include "support/ScriptedRemediationRunner.h"
#include "support/StreamDrain.h"
#include "support/Wait.h"

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;
using Event = StreamEvent;

TEST(ScriptedRemediationRunner, ScriptedStreamsRecordedCallsAndStoppedJobs) {
    ScriptedRemediationRunner runner;
    runner.script(SetupRemediation::installMise().id(), ScriptedJob::completing(1, {"Error: mise failed"}));
    runner.script(SetupRemediation::installUv().id(),
                  ScriptedJob{{Event::canceled(), Event::completed(0)}, false, 0});
    runner.script(SetupRemediation::githubAuth().id(), ScriptedJob::runningUntilStopped({"waiting"}));

    auto mise = runner.run(SetupRemediation::installMise(), "first");
    EXPECT_EQ(drain(mise), (std::vector<Event>{Event::output("Error: mise failed"), Event::completed(1)}));
    auto uv = runner.run(SetupRemediation::installUv(), "second");
    EXPECT_EQ(drain(uv), (std::vector<Event>{Event::canceled(), Event::completed(0)}));
    auto git = runner.run(SetupRemediation::configureGit("Ada", "ada@example.com"), "third");
    EXPECT_EQ(drain(git), std::vector<Event>{Event::completed(0)});

    {
        auto auth = runner.run(SetupRemediation::githubAuth(), "fourth");
        EXPECT_EQ(nextWithin(auth), Event::output("waiting"));
    } // the consumer goes away
    EXPECT_TRUE(waitUntil([&] { return runner.runningJobs() == 0; }));
    EXPECT_EQ(runner.stoppedJobs(), QStringList{SetupRemediation::githubAuth().id()});
    EXPECT_EQ(runner.calls(), (QList<ScriptedRemediationRunner::Call>{
                                  {SetupRemediation::installMise().id(), "first"},
                                  {SetupRemediation::installUv().id(), "second"},
                                  {SetupRemediation::configureGit("Ada", "ada@example.com").id(), "third"},
                                  {SetupRemediation::githubAuth().id(), "fourth"},
                              }));
}
