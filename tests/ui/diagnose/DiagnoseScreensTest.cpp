// The Java version chooser and the progress, completed and error screens of the Java diagnosis.

#include "diagnosis/DiagnosisProfile.h"
#include "support/CurrentEdition.h"
#include "support/RecordingDesktopActions.h"
#include "support/ScreenCapture.h"
#include "support/Wait.h"
#include "ui/diagnose/DiagnoseStatusScreens.h"
#include "ui/diagnose/JavaVersionChooserView.h"
#include "ui/scaffold/ScreenScaffold.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/IntBinding.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/RadioRow.h"
#include "ui/widgets/TextLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace qlan;
using namespace qlan::test;

namespace {

// What a Markdown text shows, and the links in it.
struct Rendered {
    QString text;
    QStringList links;
};

Rendered render(const QString& markdown) {
    QTextDocument document;
    document.setMarkdown(markdown);
    Rendered rendered{document.toPlainText(), {}};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (fragment.fragment().charFormat().isAnchor())
                rendered.links.append(fragment.fragment().charFormat().anchorHref());
    return rendered;
}

QList<int> checkedMajors(const JavaVersionChooserView& chooser) {
    QList<int> majors;
    for (int major : JavaVersionChooserView::majors())
        if (chooser.row(major)->isChecked()) majors.append(major);
    return majors;
}

} // namespace

TEST(JavaVersionChooserView, RowsFollowTheBindingAndClicksWriteIt) {
    IntBinding chosen(25);
    JavaVersionChooserView chooser(&chosen, "d1");
    chooser.resize(420, 300);
    chooser.show();
    saveScreenshot(&chooser, "java-version-chooser");

    QStringList ids, titles;
    for (RadioRow* row : chooser.findChildren<RadioRow*>()) {
        ids.append(row->objectName());
        titles.append(row->titleLabel()->text());
    }
    EXPECT_EQ(ids, (QStringList{"diagnosis-d1-pick-java-25", "diagnosis-d1-pick-java-21",
                                "diagnosis-d1-pick-java-17"}));
    EXPECT_EQ(titles, (QStringList{"Java 25 (recommended)", "Java 21", "Java 17"}));
    EXPECT_EQ(checkedMajors(chooser), QList<int>{25});

    // The whole row is the click's target: the empty width at its right end, and its description.
    RadioRow* row21 = chooser.row(21);
    QTest::mouseClick(row21, Qt::LeftButton, {},
                      QPoint(row21->width() - 5, row21->titleLabel()->geometry().center().y()));
    EXPECT_EQ(chosen.value(), 21);
    RadioRow* row17 = chooser.row(17);
    QTest::mouseClick(row17, Qt::LeftButton, {},
                      row17->descriptionLabel()->geometry().bottomLeft() + QPoint(4, -4));
    EXPECT_EQ(chosen.value(), 17);
    EXPECT_EQ(checkedMajors(chooser), QList<int>{17});
    QTest::mouseClick(row17, Qt::LeftButton);
    EXPECT_EQ(chosen.value(), 17);
    EXPECT_EQ(checkedMajors(chooser), QList<int>{17});

    // The screen's own change of the binding shows; a major not offered checks nothing.
    chosen.setValue(21);
    EXPECT_EQ(checkedMajors(chooser), QList<int>{21});
    chosen.setValue(11);
    EXPECT_EQ(checkedMajors(chooser), QList<int>{});

    JavaVersionChooserView other(&chosen, "d3");
    EXPECT_NE(other.findChild<RadioRow*>("diagnosis-d3-pick-java-25"), nullptr);
}

TEST(JavaVersionChooserView, IsOneStopOfTabWhoseArrowKeysChoose) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QPushButton(QStringLiteral("Before"));
    IntBinding chosen(21);
    auto* chooser = new JavaVersionChooserView(&chosen, "d1");
    auto* after = new QPushButton(QStringLiteral("After"));
    for (QWidget* widget :
         {static_cast<QWidget*>(before), static_cast<QWidget*>(chooser), static_cast<QWidget*>(after)})
        layout->addWidget(widget);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(waitForWindowActive(&window));
    QAccessibleInterface* group = QAccessible::queryAccessibleInterface(chooser);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->text(QAccessible::Name), "Java version to install");

    // Tab comes to the chosen row; Down chooses the next; Tab leaves the group and Shift-Tab comes back.
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(chooser->row(21)->hasFocus());
    QTest::keyClick(chooser->row(21), Qt::Key_Down);
    EXPECT_EQ(chosen.value(), 17);
    EXPECT_TRUE(chooser->row(17)->hasFocus());
    QTest::keyClick(chooser->row(17), Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Backtab);
    EXPECT_TRUE(chooser->row(17)->hasFocus());
    QTest::keyClick(chooser->row(17), Qt::Key_Up);
    QTest::keyClick(chooser->row(21), Qt::Key_Up);
    EXPECT_EQ(chosen.value(), 25);
    QTest::keyClick(chooser->row(25), Qt::Key_Backtab);
    EXPECT_TRUE(before->hasFocus());

    // A click from outside the group chooses and leaves the focus where it was.
    QTest::mouseClick(chooser->row(21), Qt::LeftButton);
    EXPECT_EQ(chosen.value(), 21);
    EXPECT_TRUE(before->hasFocus());
    // With the ring on Java 21, a click on Java 17 takes the focus and the ring there: Up chooses 21 again.
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(chooser->row(21)->hasFocus());
    QTest::mouseClick(chooser->row(17), Qt::LeftButton);
    EXPECT_TRUE(chooser->row(17)->hasFocus());
    auto* ring = window.findChild<QWidget*>("focus-ring", Qt::FindDirectChildrenOnly);
    ASSERT_NE(ring, nullptr);
    EXPECT_TRUE(ring->isVisible());
    EXPECT_TRUE(ring->geometry().contains(chooser->row(17)->geometry().translated(chooser->pos())));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(chosen.value(), 21);
}

TEST(DiagnoseStatusScreens, FixedTitlesMessagesAndOneButtonEach) {
    CurrentEdition brew(ProductConfig::homebrewEdition());
    auto desktop = std::make_shared<RecordingDesktopActions>();

    ProgressScaffold progress;
    EXPECT_EQ(progress.scaffold()->heading()->text(), "Diagnosing Java…");
    EXPECT_EQ(progress.scaffold()->explanation()->text(),
              "Running three quick checks to figure out what's going on.");
    auto* indicator = progress.findChild<ActivityIndicator*>();
    ASSERT_NE(indicator, nullptr);
    EXPECT_EQ(indicator->controlSize(), ControlSize::large);
    EXPECT_EQ(progress.findChild<QPushButton*>(), nullptr);

    int continued = 0;
    CompletedScaffold completed("Homebrew installed.", [&] { ++continued; });
    completed.resize(720, 720);
    completed.show();
    saveScreenshot(&completed, "diagnose-completed");
    EXPECT_EQ(completed.scaffold()->heading()->text(), "Done");
    EXPECT_EQ(completed.scaffold()->explanation()->text(), "Homebrew installed.");
    for (ScreenScaffold* status : {progress.scaffold(), completed.scaffold()})
        EXPECT_EQ(status->articleLink(), nullptr);
    EXPECT_EQ(completed.findChild<QPushButton*>("continue-to-audit"), completed.button());
    EXPECT_EQ(completed.button()->text(), "Continue to system audit");
    QTest::mouseClick(completed.button(), Qt::LeftButton);
    EXPECT_EQ(continued, 1);

    // A failure message with a link: the link opens through the desktop, web addresses only.
    const QString failure = "Install failed (exit code 1). The article at "
                            "[Pellinor](https://guide.example/troubleshooting) may help.";
    int back = 0;
    ErrorScaffold error(failure, [&] { ++back; });
    DesktopActions::install(&error, desktop);
    error.resize(720, 720);
    error.show();
    saveScreenshot(&error, "diagnose-error");
    EXPECT_EQ(error.scaffold()->heading()->text(), "Something went wrong");
    EXPECT_EQ(error.button()->text(), "Back");
    EXPECT_EQ(error.scaffold()->articleLink(), nullptr);
    EXPECT_TRUE(error.button()->objectName().isEmpty());
    MarkdownLabel* message = error.scaffold()->explanation();
    const Rendered shown = render(message->text());
    EXPECT_EQ(shown.text, "Install failed (exit code 1). The article at Pellinor may help.");
    ASSERT_EQ(shown.links, QStringList{"https://guide.example/troubleshooting"});
    emit message->linkActivated(shown.links[0]);
    emit message->linkActivated("file:///Applications/Calculator.app");
    EXPECT_EQ(desktop->openedURLs, QList<QUrl>{QUrl("https://guide.example/troubleshooting")});
    QTest::mouseClick(error.button(), Qt::LeftButton);
    EXPECT_EQ(back, 1);

    // An empty message still leaves a working button.
    ErrorScaffold empty("", [&] { ++back; });
    EXPECT_TRUE(empty.scaffold()->explanation()->text().isEmpty());
    QTest::mouseClick(empty.button(), Qt::LeftButton);
    EXPECT_EQ(back, 2);
}

TEST(DiagnoseStatusScreens, ValuesFromTheMachineShowAsTextNeverAsMarkdown) {
    const QString path = "/Library/Java/[x](https://evil.example)/*b* _i_ <b>&amp;`c`/Home";
    const JDKInfo jdk{"21.0.5", "Eclipse_Adoptium **bold**", "x86_64", path};
    const Rendered unset = render(Diagnosis::homeUnset(jdk).explanation());
    EXPECT_TRUE(unset.links.isEmpty());
    EXPECT_TRUE(unset.text.startsWith("Java 21.0.5 (Eclipse_Adoptium **bold**, x86_64) is installed at " +
                                      path + ", but JAVA_HOME"));

    const QString ticked = "/Library/Java/a``b`/Home`";
    const Rendered legacy = render(Diagnosis::legacyOnly({"11.0.2", "v", "a", ticked}).explanation());
    EXPECT_TRUE(legacy.text.contains("(at " + ticked + ")")) << legacy.text.toStdString();

    ProbeBundle listing;
    listing.jvmDirContents = {"[y](https://evil.example)", "www.example.com", "me@example.com"};
    const Rendered unknown = render(JavaProfile().diagnose(listing).explanation());
    EXPECT_TRUE(unknown.links.isEmpty());
    EXPECT_TRUE(unknown.text.contains("([y](https://evil.example), www.example.com, me@example.com)"));
}
