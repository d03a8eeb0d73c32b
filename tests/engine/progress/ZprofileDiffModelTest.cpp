// The ~/.zprofile sheet's model against a sandbox home: load, already set, diff, apply with backup off the
// GUI thread, the failures, cancel, and the one terminal event.

#include "progress/ZprofileDiffModel.h"

#include "ProgressTestSupport.h"
#include "engine/remediation/FaultyFileSystem.h"
#include "platform/LiveFileEditHold.h"
#include "remediation/FileEditLock.h"
#include "support/CurrentEdition.h"
#include "support/EditLockHolder.h"
#include "support/Sandbox.h"
#include "support/Wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

const QString kZprofile = QStringLiteral("/Users/tester/.zprofile");
const QString kBackup = QStringLiteral("/Users/tester/.zprofile.bak");
const QByteArray kBlock = "# Quillane — Java configuration\n"
                          "export JAVA_HOME=$(/usr/libexec/java_home)\n"
                          "export PATH=\"$JAVA_HOME/bin:$PATH\"\n";

class ZprofileDiffModelTest : public ::testing::Test {
protected:
    // A model over the sandbox (or the given file system) whose preview has been loaded.
    std::unique_ptr<ZprofileDiffModel> loaded(std::shared_ptr<FileSystemOperating> fs = {}) {
        auto model = std::make_unique<ZprofileDiffModel>(remediation_, fs ? fs : sandbox_.services().fs,
                                                         events_.sink());
        model->loadPreview();
        EXPECT_EQ(model->content(), ZprofileDiffModel::Content::loading);
        EXPECT_TRUE(waitUntil([&] { return model->content() != ZprofileDiffModel::Content::loading; }));
        return model;
    }

    // Apply, and the write's end (it runs off this thread).
    static void applied(ZprofileDiffModel& model) {
        model.apply();
        EXPECT_TRUE(waitUntil([&] { return !model.isApplying(); })) << "the write did not end";
    }

    CurrentEdition edition_{ProductConfig::homebrewEdition()};
    Sandbox sandbox_;
    RecordedEvents events_;
    Remediation remediation_ = Remediation::writeJavaHomeToZprofile(QStringLiteral("/Library/Java/jdk"));
};

} // namespace

TEST_F(ZprofileDiffModelTest, AbsentFileIsCreatedWithAnEmptyBackup) {
    auto model = loaded();
    QSignalSpy finished(model.get(), &ZprofileDiffModel::finished);
    ASSERT_EQ(model->content(), ZprofileDiffModel::Content::diff);
    EXPECT_TRUE(model->preview()->wasCreated);
    EXPECT_EQ(model->buttons(), ZprofileDiffModel::Buttons::cancelOrApply);
    EXPECT_EQ(model->rows().size(), 3);
    model->setShowFullFile(true);
    for (const DiffRow& row : model->rows())
        EXPECT_TRUE(row.added && row.text.startsWith(QStringLiteral("+ "))) << row.text.toStdString();
    EXPECT_EQ(model->rows().size(), 3);

    model->loadPreview(); // shown again: the preview is not made again
    EXPECT_EQ(model->content(), ZprofileDiffModel::Content::diff);

    applied(*model);
    EXPECT_TRUE(model->didApply());
    EXPECT_EQ(sandbox_.readFile(kZprofile), kBlock);
    EXPECT_EQ(sandbox_.readFile(kBackup), QByteArray());
    EXPECT_EQ(model->buttons(), ZprofileDiffModel::Buttons::continueAfterApply);
    EXPECT_EQ(finished.size(), 0); // apply never finishes the sheet by itself

    model->close(); // a close of the sheet after the write reports it, as the button does
    model->continueAfterApply();
    ASSERT_EQ(finished.size(), 2);
    for (const QList<QVariant>& outcome : finished)
        EXPECT_EQ(outcome[0].value<RemediationOutcome>(),
                  RemediationOutcome::success(QStringLiteral("JAVA_HOME set in ~/.zprofile.")));
    ASSERT_EQ(events_.names(), QStringList{QStringLiteral("remediation_completed")});
    EXPECT_EQ(events_.events->at(0).properties.value(QStringLiteral("exit_code")), JSONValue::integer(0));
    EXPECT_EQ(events_.events->at(0).properties.value(QStringLiteral("remediation_id")),
              JSONValue::string(QStringLiteral("zprofile:/Library/Java/jdk")));
}

TEST_F(ZprofileDiffModelTest, AnIndentedActiveExportIsAlreadySetAndNothingIsWritten) {
    const QByteArray original = "if true; then\n\t  export JAVA_HOME=/opt/jdk\nfi";
    sandbox_.writeFile(kZprofile, original);
    auto model = loaded();
    QSignalSpy finished(model.get(), &ZprofileDiffModel::finished);
    EXPECT_EQ(model->content(), ZprofileDiffModel::Content::alreadySet);
    EXPECT_EQ(model->buttons(), ZprofileDiffModel::Buttons::cancelOrContinue);
    model->apply(); // not offered: does nothing
    model->finishAlreadySet();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].value<RemediationOutcome>(),
              RemediationOutcome::success(QStringLiteral("JAVA_HOME already set in ~/.zprofile.")));
    ASSERT_EQ(events_.names(), QStringList{QStringLiteral("remediation_completed")});
    EXPECT_EQ(events_.events->at(0).properties.value(QStringLiteral("exit_code")), JSONValue::integer(0));
    EXPECT_EQ(sandbox_.readFile(kZprofile), original);
    EXPECT_FALSE(sandbox_.exists(kBackup));
}

TEST_F(ZprofileDiffModelTest, ACommentedExportGetsTheDiffAndTheFullFileMarksOnlyNewLines) {
    const QByteArray original = "# export JAVA_HOME=/opt/jdk\nexport PATH=\"$JAVA_HOME/bin:$PATH\"\n";
    sandbox_.writeFile(kZprofile, original);
    auto model = loaded();
    ASSERT_EQ(model->content(), ZprofileDiffModel::Content::diff);
    EXPECT_FALSE(model->preview()->wasCreated);
    model->setShowFullFile(true);
    const QList<DiffRow> expected{
        {QStringLiteral("  # export JAVA_HOME=/opt/jdk"), false},
        {QStringLiteral("  export PATH=\"$JAVA_HOME/bin:$PATH\""), false},
        {QStringLiteral("+ # Quillane — Java configuration"), true},
        {QStringLiteral("+ export JAVA_HOME=$(/usr/libexec/java_home)"), true},
        {QStringLiteral("  export PATH=\"$JAVA_HOME/bin:$PATH\""), false},
    };
    EXPECT_EQ(model->rows(), expected);
    applied(*model);
    EXPECT_EQ(sandbox_.readFile(kZprofile), original + "\n" + kBlock);
    EXPECT_EQ(sandbox_.readFile(kBackup), original);
}

TEST_F(ZprofileDiffModelTest, AFailedWriteIsShownWholeAndSentCut) {
    sandbox_.writeFile(kZprofile, "alias ll='ls -l'\n");
    auto fs = std::make_shared<FaultyFileSystem>(sandbox_.services().fs);
    fs->failWrite = [](const QString& path) { return path.endsWith(QStringLiteral(".zprofile.bak")); };
    fs->description = QStringLiteral("The folder is read-only. ") + QString(200, QLatin1Char('x'));
    auto model = loaded(fs);
    QSignalSpy finished(model.get(), &ZprofileDiffModel::finished);
    applied(*model);
    const QString shown = QStringLiteral("Couldn't write backup file: ") + fs->description;
    EXPECT_EQ(model->applyError(), shown);
    EXPECT_EQ(model->buttons(), ZprofileDiffModel::Buttons::closeAfterFailure);
    model->apply(); // not offered again
    model->close(); // a close of the sheet reports the failure, as "Close" does
    model->closeAfterFailure();
    ASSERT_EQ(finished.size(), 2);
    for (const QList<QVariant>& outcome : finished)
        EXPECT_EQ(outcome[0].value<RemediationOutcome>(), RemediationOutcome::failure(shown));
    ASSERT_EQ(events_.names(), QStringList{QStringLiteral("remediation_failed")});
    const JSONObject& properties = events_.events->at(0).properties;
    EXPECT_EQ(properties.value(QStringLiteral("exit_code")), JSONValue::integer(1));
    EXPECT_EQ(properties.value(QStringLiteral("reason")), JSONValue::string(shown.left(160)));
    EXPECT_EQ(sandbox_.readFile(kZprofile), "alias ll='ls -l'\n");
}

TEST_F(ZprofileDiffModelTest, AnUnreadableFileOffersOnlyCancelAndIsLeftAlone) {
    const QByteArray original("export A=\xff\xfe\n");
    sandbox_.writeFile(kZprofile, original);
    auto model = loaded();
    QSignalSpy finished(model.get(), &ZprofileDiffModel::finished);
    ASSERT_EQ(model->content(), ZprofileDiffModel::Content::loadFailed);
    EXPECT_TRUE(model->loadError()->startsWith(QStringLiteral("Couldn't read ~/.zprofile: ")));
    EXPECT_EQ(model->buttons(), ZprofileDiffModel::Buttons::cancelOnly);
    model->cancel();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].value<RemediationOutcome>(), RemediationOutcome::canceled());
    EXPECT_EQ(events_.names(), QStringList{QStringLiteral("remediation_canceled")});
    EXPECT_EQ(sandbox_.readFile(kZprofile), original);
    EXPECT_FALSE(sandbox_.exists(kBackup));
}

TEST_F(ZprofileDiffModelTest, CancelWhileLoadingDropsThePreview) {
    ZprofileDiffModel model(Remediation::keepCurrentLegacyJava(QStringLiteral("/jdk8")),
                            sandbox_.services().fs, events_.sink());
    QSignalSpy finished(&model, &ZprofileDiffModel::finished);
    model.loadPreview();
    model.cancel();
    model.cancel();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(model.content(), ZprofileDiffModel::Content::loading);
    EXPECT_EQ(finished.size(), 2);
    ASSERT_EQ(events_.names(), QStringList{QStringLiteral("remediation_canceled")});
    EXPECT_EQ(events_.events->at(0).properties.value(QStringLiteral("remediation_id")),
              JSONValue::string(QStringLiteral("keep-legacy:/jdk8")));
}

TEST_F(ZprofileDiffModelTest, AnEditMadeAfterThePreviewSurvivesAndIsShownAgain) {
    sandbox_.writeFile(kZprofile, "export A=1\n");
    auto model = loaded();
    sandbox_.writeFile(kZprofile, "export A=1\nexport B=2");
    applied(*model);
    EXPECT_FALSE(model->didApply());
    EXPECT_TRUE(model->changedNotice().has_value());
    EXPECT_FALSE(sandbox_.exists(kBackup));
    EXPECT_EQ(model->preview()->originalContents, QStringLiteral("export A=1\nexport B=2"));
    EXPECT_TRUE(events_.names().isEmpty());

    // Now that the user has seen it, the edit is kept under the block.
    applied(*model);
    EXPECT_EQ(sandbox_.readFile(kZprofile), "export A=1\nexport B=2\n\n" + kBlock);
    EXPECT_EQ(sandbox_.readFile(kBackup), "export A=1\nexport B=2");
    EXPECT_EQ(events_.names(), QStringList{QStringLiteral("remediation_completed")});

    // An edit that sets JAVA_HOME itself turns the sheet into "already set".
    Sandbox other;
    other.writeFile(kZprofile, "");
    ZprofileDiffModel second(remediation_, other.services().fs, events_.sink());
    second.loadPreview();
    ASSERT_TRUE(waitUntil([&] { return second.preview().has_value(); }));
    other.writeFile(kZprofile, "export JAVA_HOME=/opt/jdk\n");
    applied(second);
    EXPECT_EQ(second.content(), ZprofileDiffModel::Content::alreadySet);
    EXPECT_EQ(other.readFile(kZprofile), "export JAVA_HOME=/opt/jdk\n");

    // The program that apply waits for changes the file before it lets go: that change is shown too.
    Sandbox held;
    held.writeFile(kZprofile, "export A=1\n");
    ZprofileDiffModel third(remediation_, held.services().fs, events_.sink());
    third.loadPreview();
    ASSERT_TRUE(waitUntil([&] { return third.preview().has_value(); }));
    EditLockHolder holder(held.home() + "/.zprofile",
                          LiveFileEditHold::lockFolder(held.services().fs->temporaryDirectory()));
    if (!holder.held()) GTEST_SKIP() << "flock(1) is not installed";
    third.apply();
    ASSERT_TRUE(waitUntil([&] { return third.waitingNotice().has_value(); }));
    held.writeFile(kZprofile, "export A=1\nexport C=3\n");
    holder.release();
    ASSERT_TRUE(waitUntil([&] { return !third.isApplying(); }));
    EXPECT_EQ(third.applyError(), std::nullopt);
    EXPECT_TRUE(third.changedNotice().has_value());
    EXPECT_EQ(third.preview()->originalContents, QStringLiteral("export A=1\nexport C=3\n"));
    EXPECT_EQ(held.readFile(kZprofile), "export A=1\nexport C=3\n");
    EXPECT_FALSE(held.exists(kBackup));
}

TEST_F(ZprofileDiffModelTest, ApplyWaitsForAnotherProgramOffTheGUIThreadSaysSoAndACloseEndsTheWait) {
    auto model = loaded();
    QSignalSpy finished(model.get(), &ZprofileDiffModel::finished);
    // Another program of the engine is editing the file.
    const QString zprofile = sandbox_.home() + "/.zprofile";
    EditLockHolder holder(zprofile,
                          LiveFileEditHold::lockFolder(sandbox_.services().fs->temporaryDirectory()));
    if (!holder.held()) GTEST_SKIP() << "flock(1) is not installed";
    model->apply();
    EXPECT_TRUE(
        waitUntil([&] { return model->waitingNotice().has_value(); })); // this thread went on meanwhile
    EXPECT_EQ(model->waitingNotice(), FileEditLock::waitingLine("~/.zprofile"));
    EXPECT_TRUE(model->isApplying());
    model->close();
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 1; }));
    EXPECT_EQ(finished[0][0].value<RemediationOutcome>(), RemediationOutcome::canceled());
    EXPECT_FALSE(model->waitingNotice().has_value());

    holder.release();
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(sandbox_.exists(kZprofile)) << "a canceled wait writes nothing";
}
