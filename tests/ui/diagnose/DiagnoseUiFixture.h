#pragma once
// What the Java diagnosis screen tests stand on: the Java edition current, the standard settings in a
// temporary folder, a sandboxed Mac, a recording desktop and a telemetry service that delivers to a
// loopback records endpoint.

#include "support/IsolatedUserDefaults.h"
#include "support/JavaMac.h"
#include "support/PersonClick.h"
#include "support/RecordingDesktopActions.h"
#include "support/CurrentEdition.h"
#include "support/TelemetryEndpoint.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QJsonObject>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace qlan::test {

class DiagnoseUiTest : public ::testing::Test {
protected:
    // The delivered events once the service has sent what it was given (at least `expected`).
    QList<ReceivedEvent> settledEvents(qsizetype expected) {
        endpoint_.waitForEvents(expected);
        waitUntil([] { return false; }, 200);
        return endpoint_.receivedEvents();
    }
    QStringList settledNames(qsizetype expected) {
        QStringList names;
        for (const ReceivedEvent& event : settledEvents(expected))
            names.append(event.name);
        return names;
    }
    static QJsonObject data(const ReceivedEvent& event) { return event.data; }

    // The visible widget of the type with the identifier, or null.
    template <typename T = QWidget> static T* shown(const QWidget* root, const QString& id) {
        for (T* widget : root->findChildren<T*>(id))
            if (widget->isVisible()) return widget;
        return nullptr;
    }
    static void click(const QWidget* root, const QString& id) {
        auto* button = shown<QAbstractButton>(root, id);
        ASSERT_NE(button, nullptr) << id.toStdString();
        clickAsAPerson(button);
    }
    // The visible button with the title.
    static QAbstractButton* buttonTitled(const QWidget* root, const QString& title) {
        for (QAbstractButton* button : root->findChildren<QAbstractButton*>())
            if (button->isVisible() && button->text() == title) return button;
        return nullptr;
    }
    static bool showsText(const QWidget* root, const QString& text) {
        for (const QLabel* label : root->findChildren<QLabel*>())
            if (label->isVisible() && label->text() == text) return true;
        return false;
    }

    CurrentEdition edition_{ProductConfig::javaEdition()};
    IsolatedUserDefaults defaults_;
    Sandbox mac_;
    TelemetryEndpoint endpoint_;
    std::unique_ptr<TelemetryService> telemetry_ = endpoint_.makeService(mac_.services());
    std::shared_ptr<RecordingDesktopActions> desktop_ = std::make_shared<RecordingDesktopActions>();
};

} // namespace qlan::test
