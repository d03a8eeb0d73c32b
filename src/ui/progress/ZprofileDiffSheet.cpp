#include "ui/progress/ZprofileDiffSheet.h"

#include "platform/ServiceContext.h"
#include "telemetry/TelemetryService.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/widgets/AccessibleRole.h"
#include "ui/widgets/ActivityIndicator.h"
#include "ui/widgets/MarkdownLabel.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/SegmentedControl.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

ZprofileDiffSheet::ZprofileDiffSheet(Remediation remediation, OnFinish onFinish, TelemetryService& telemetry,
                                     QWidget* parent)
    : QWidget(parent)
    , remediation_(std::move(remediation))
    , onFinish_(std::move(onFinish))
    , telemetry_(telemetry) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(16);

    auto* header = new QVBoxLayout;
    header->setSpacing(4);
    heading_ = new MarkdownLabel(QStringLiteral("Set `JAVA_HOME` in `~/.zprofile`"), TextRole::title2,
                                 FontWeight::semibold);
    header->addWidget(heading_);
    auto* explainer =
        new MarkdownLabel(QStringLiteral("Review the change before we write it. Your current file "
                                         "is backed up to `~/.zprofile.bak`."),
                          TextRole::footnote);
    TypeScale::applySecondaryStyle(explainer);
    header->addWidget(explainer);
    layout->addLayout(header);

    spinner_ = new ActivityIndicator(ControlSize::regular);
    layout->addWidget(spinner_, 0, Qt::AlignHCenter);

    loadError_ = new TextLabel(QString(), TextRole::footnote);
    loadError_->setSelectable(true);
    applyErrorStyle(loadError_);
    layout->addWidget(loadError_);

    alreadySet_ = new MarkdownLabel(QStringLiteral("Your ~/.zprofile already sets JAVA_HOME via "
                                                   "`$(/usr/libexec/java_home)` — no changes needed."));
    layout->addWidget(alreadySet_);

    diff_ = new QWidget;
    auto* diffLayout = new QVBoxLayout(diff_);
    diffLayout->setContentsMargins(0, 0, 0, 0);
    diffLayout->setSpacing(8);
    creationNote_ = new MarkdownLabel(QStringLiteral("Creating `~/.zprofile` (didn't exist before)."),
                                      TextRole::footnote);
    TypeScale::applySecondaryStyle(creationNote_);
    diffLayout->addWidget(creationNote_);
    // One choice of two, with no label shown: a screen reader hears a group of two radio buttons, named.
    modes_ = new SegmentedControl({QStringLiteral("Show only changes"), QStringLiteral("Show full file")});
    modes_->setAccessibleName(QStringLiteral("Diff view"));
    modes_->setMaximumWidth(320);
    connect(modes_, &SegmentedControl::chosen, this,
            [this](int mode) { model()->setShowFullFile(mode == 1); });
    diffLayout->addWidget(modes_);
    rows_ = new DiffRowsView;
    rows_->setAccessibleName(QStringLiteral("Proposed ~/.zprofile")); // Tab stops on it to scroll
    rows_->setMinimumHeight(120);
    rows_->setMaximumHeight(240);
    diffLayout->addWidget(rows_);
    backup_ = new CodeTextLabel(TextRole::caption);
    TypeScale::applySecondaryStyle(backup_);
    diffLayout->addWidget(backup_);
    layout->addWidget(diff_);

    notice_ = new TextLabel(QString(), TextRole::footnote);
    applyErrorStyle(notice_);
    layout->addWidget(notice_);

    layout->addStretch(1);

    applyError_ = new TextLabel(QString(), TextRole::footnote);
    applyError_->setSelectable(true);
    applyErrorStyle(applyError_);
    layout->addWidget(applyError_);

    // The row of buttons: a part of the sheet's own, so that it can carry the outcome it shows.
    buttonRow_ = new QWidget;
    auto* buttons = new QHBoxLayout(buttonRow_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(layout->spacing());
    leadSpace_ = new QWidget;
    leadSpace_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    buttons->addWidget(leadSpace_);
    cancel_ = borderedButton(QStringLiteral("Cancel"));
    buttons->addWidget(cancel_);
    // Between Cancel and the primary button; gone when Cancel stands alone, at the right.
    middleSpace_ = new QWidget;
    middleSpace_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    buttons->addWidget(middleSpace_);
    // The sheet names no control size: its buttons are of the regular size, one height in the row.
    apply_ = new ProminentButton(QStringLiteral("Apply"), ControlSize::regular);
    continue_ = new ProminentButton(QStringLiteral("Continue to verify"), ControlSize::regular);
    for (ProminentButton* primary : {apply_, continue_}) {
        primary->bindToReturn();
        buttons->addWidget(primary);
    }
    close_ = borderedButton(QStringLiteral("Close"));
    buttons->addWidget(close_);
    layout->addWidget(buttonRow_);

    connect(cancel_, &QPushButton::clicked, this, [this] { model()->cancel(); });
    connect(apply_, &QPushButton::clicked, this, [this] { model()->apply(); });
    connect(continue_, &QPushButton::clicked, this, &ZprofileDiffSheet::primaryPressed);
    connect(close_, &QPushButton::clicked, this, [this] { model()->closeAfterFailure(); });
    refresh();
}

ZprofileDiffModel* ZprofileDiffSheet::model() {
    if (!model_) {
        model_ = new ZprofileDiffModel(
            remediation_, ServiceContext::services(this).fs,
            [telemetry = &telemetry_](const TelemetryEvent& event) { telemetry->track(event); }, this);
        connect(model_, &ZprofileDiffModel::changed, this, &ZprofileDiffSheet::refresh);
        connect(model_, &ZprofileDiffModel::finished, this, [this](const RemediationOutcome& outcome) {
            if (onFinish_) onFinish_(outcome);
        });
    }
    return model_;
}

QString ZprofileDiffSheet::title() const {
    return heading_->shownText();
}

void ZprofileDiffSheet::closeRequested() {
    model()->close();
}

void ZprofileDiffSheet::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model()->loadPreview();
    // Until the preview shows, the window holds the focus itself. Otherwise the window, once active, gives
    // it to its first control (Cancel) and the preview then takes it away: whether a person met Cancel
    // first would depend on whether the window became active before the file was read.
    if (!openedOnPreview_ && model()->content() == ZprofileDiffModel::Content::loading)
        window()->setFocus(Qt::OtherFocusReason);
    refresh();
}

void ZprofileDiffSheet::primaryPressed() {
    if (model()->buttons() == ZprofileDiffModel::Buttons::cancelOrContinue)
        model()->finishAlreadySet();
    else
        model()->continueAfterApply();
}

void ZprofileDiffSheet::refresh() {
    using Content = ZprofileDiffModel::Content;
    using Buttons = ZprofileDiffModel::Buttons;
    const Content content = model_ ? model_->content() : Content::loading;
    const Buttons buttons = model_ ? model_->buttons() : Buttons::cancelOnly;

    spinner_->setVisible(content == Content::loading);
    loadError_->setVisible(content == Content::loadFailed);
    if (model_ && model_->loadError()) loadError_->setText(*model_->loadError());
    alreadySet_->setVisible(content == Content::alreadySet);
    diff_->setVisible(content == Content::diff);
    if (content == Content::diff) {
        const FileAppendWriter::DiffPreview& preview = *model_->preview();
        creationNote_->setVisible(preview.wasCreated);
        modes_->setSelectedIndex(model_->showFullFile() ? 1 : 0);
        rows_->setRows(model_->rows());
        backup_->setParts(QStringLiteral("Backup: "), preview.backupPath);
    }
    const std::optional<QString> notice =
        !model_ ? std::nullopt
        : model_->waitingNotice()
            ? model_->waitingNotice()
            : (buttons == Buttons::cancelOrApply ? model_->changedNotice() : std::nullopt);
    notice_->setVisible(notice.has_value());
    if (notice) notice_->setText(*notice);

    applyError_->setVisible(buttons == Buttons::closeAfterFailure);
    if (model_ && model_->applyError()) applyError_->setText(*model_->applyError());
    // Cancel beside a primary button stands at the left; every lone button stands at the right.
    const bool cancelAtLeft = buttons == Buttons::cancelOrApply || buttons == Buttons::cancelOrContinue;
    leadSpace_->setVisible(!cancelAtLeft);
    middleSpace_->setVisible(cancelAtLeft);
    cancel_->setVisible(buttons == Buttons::cancelOnly || buttons == Buttons::cancelOrApply ||
                        buttons == Buttons::cancelOrContinue);
    apply_->setVisible(buttons == Buttons::cancelOrApply);
    // While the write runs, neither button can change its outcome; while it waits for another program,
    // Cancel ends the wait.
    const bool applying = model_ && model_->isApplying();
    apply_->setEnabled(!applying);
    cancel_->setEnabled(!applying || model_->waitingNotice().has_value());
    continue_->setVisible(buttons == Buttons::continueAfterApply || buttons == Buttons::cancelOrContinue);
    close_->setVisible(buttons == Buttons::closeAfterFailure);

    // How the write ended is told to a screen reader once, and the focus stays where it is: the error's text,
    // or that JAVA_HOME was set, which the row of "Continue to verify" is named by.
    if (model_ && !writeEndTold_ && (model_->applyError() || model_->didApply())) {
        writeEndTold_ = true;
        if (!model_->applyError()) buttonRow_->setAccessibleName(ZprofileDiffModel::appliedMessage());
        announceState(model_->applyError() ? static_cast<QWidget*>(applyError_) : buttonRow_);
    }

    // The preview opens with the focus on the diff's view control, or on "Continue to verify" where the
    // file already sets JAVA_HOME: never on Cancel beside another button, where Space would cancel while
    // the other is the default. A file that cannot be read leaves Cancel alone, and the focus on it.
    if (!openedOnPreview_ && content != Content::loading) {
        openedOnPreview_ = true;
        QWidget* start = content == Content::diff
                             ? static_cast<QWidget*>(modes_->segment(modes_->selectedIndex()))
                         : content == Content::alreadySet ? static_cast<QWidget*>(continue_)
                                                          : cancel_;
        start->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace qlan
