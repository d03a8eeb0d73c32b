#pragma once
// Gives the focus back when a sheet closes (KeyboardFocus.h tells where): one per window under a sheet,
// from the sheet's opening until the person moves the focus in the window. A part of the focus rules
// (FocusRulesShared.h): openSheet makes one, and a screen taken away tells it.

#include "ui/widgets/FocusRulesShared.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QDialog;
class QEvent;
class QPushButton;
class QWidget;

namespace qlan::focusrules {

class SheetFocusReturn : public QObject {
public:
    SheetFocusReturn(QDialog* sheet, QWidget* window);
    ~SheetFocusReturn() override;

    // A screen of `window` took the place of another: once it stands, the focus goes where the rules say.
    static void screenReplaced(QWidget* window);
    // `control` held the focus of a screen taken away in this turn of the event loop (the screen stands in
    // its window until the loop deletes it): a sheet that opens over that window in the same turn (the
    // screen behind it rebuilt first) was opened from it.
    static void noteDeparture(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void end();
    bool sheetHiding() const;
    void close();
    void settleSoon();
    void settle();
    static QList<SheetFocusReturn*> over(const QWidget* window);
    template <typename Fits> QWidget* heirOfOpener(Fits fits) const;
    QPushButton* defaultButton() const;
    template <typename Fits, typename Match> QWidget* nearestTo(Fits fits, Match matches) const;

    QWidget* window_;
    QPointer<QObject> sheet_; // as an object: it may be in its destructor when events come
    FocusPlace opener_;
    bool shown_ = false;    // the sheet has been shown
    bool closed_ = false;   // and has gone: the focus is handed back
    bool awaiting_ = false; // for the opener's heir, disabled for a while
    bool scheduled_ = false;
    bool ended_ = false;
};

} // namespace qlan::focusrules
