#pragma once
// What the audit's screen tests share: the audit fixture, a fix sheet that records what it was asked to
// carry out (the test finishes it by hand), a recording desktop, and ways to find texts and buttons.

#include "engine/audit/AuditFixture.h"

#include "support/AccessibleNames.h"
#include "support/PersonClick.h"
#include "support/RecordingDesktopActions.h"
#include "support/ScreenCapture.h"
#include "support/Wait.h"
#include "ui/audit/AuditScreenSeams.h"
#include "ui/widgets/DesktopActions.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace qlan::test {

class AuditScreens : public ::testing::Test, public AuditFixture {
protected:
    AuditScreens() {
        seams.fixSheet = [this](QWidget* parent, const Remediation& remediation,
                                std::function<void(RemediationOutcome)> onFinish) {
            auto* sheet = new QDialog(parent);
            sheets.append({remediation, std::move(onFinish), sheet});
            return sheet;
        };
    }

    // Shows `screen` in a window over the recording desktop.
    void show(QWidget* screen, const QString& name) {
        DesktopActions::install(screen, desktop);
        screen->resize(720, 720);
        screen->show();
        ASSERT_TRUE(waitForWindowExposed(screen));
        saveScreenshot(screen, name);
    }
    static QStringList labels(const QWidget* screen) {
        QStringList texts;
        for (const QLabel* label : screen->findChildren<QLabel*>())
            if (label->isVisibleTo(screen) && !label->text().isEmpty()) texts << label->text();
        return texts;
    }
    static QAbstractButton* button(const QWidget* screen, const QString& title) {
        for (QAbstractButton* candidate : screen->findChildren<QAbstractButton*>())
            if (candidate->text() == title && candidate->isVisibleTo(screen)) return candidate;
        return nullptr;
    }
    static void click(const QWidget* screen, const QString& title) {
        QAbstractButton* target = button(screen, title);
        ASSERT_NE(target, nullptr) << title.toStdString();
        clickAsAPerson(target);
    }
    // Runs what the last steps queued, and deletes what they left to be deleted.
    static void settle() { waitForQueuedCalls(); }

    struct Sheet {
        Remediation remediation;
        std::function<void(RemediationOutcome)> onFinish;
        QPointer<QDialog> dialog;
    };
    AuditScreenSeams seams{*telemetry}; // the fixture's service exists before this member
    QList<Sheet> sheets;
    std::shared_ptr<RecordingDesktopActions> desktop = std::make_shared<RecordingDesktopActions>();
    QStringList log;
};

} // namespace qlan::test
