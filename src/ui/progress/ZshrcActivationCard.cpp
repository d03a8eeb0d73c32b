#include "ui/progress/ZshrcActivationCard.h"

#include "progress/ZshrcActivationPreview.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/widgets/ProminentButton.h"
#include "ui/widgets/ScreenPieces.h"
#include "ui/widgets/TextLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlan {

ZshrcActivationCard::ZshrcActivationCard(ZshrcActivationPreview* model, QWidget* parent)
    : QWidget(parent)
    , model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);

    intro_ = new CodeTextLabel(TextRole::footnote);
    TypeScale::applySecondaryStyle(intro_);
    layout->addWidget(intro_);
    rows_ = new DiffRowsView;
    rows_->setAccessibleName(QStringLiteral("Proposed ~/.zshrc")); // Tab stops on it to scroll
    rows_->setMaximumHeight(120);
    layout->addWidget(rows_);
    backup_ = new CodeTextLabel(TextRole::caption);
    TypeScale::applySecondaryStyle(backup_);
    layout->addWidget(backup_);

    error_ = new TextLabel(QString(), TextRole::footnote);
    error_->setSelectable(true);
    applyErrorStyle(error_);
    layout->addWidget(error_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // Of the regular control size, as the screen names none: one height in the row.
    skip_ = borderedButton(QStringLiteral("Skip"));
    apply_ = new ProminentButton(QStringLiteral("Apply ~/.zshrc change"), ControlSize::regular);
    apply_->bindToReturn();
    buttons->addWidget(skip_);
    buttons->addWidget(apply_);
    layout->addLayout(buttons);

    connect(apply_, &QPushButton::clicked, model_, &ZshrcActivationPreview::apply);
    connect(skip_, &QPushButton::clicked, model_, &ZshrcActivationPreview::skip);
    connect(model_, &ZshrcActivationPreview::changed, this, &ZshrcActivationCard::refresh);
    refresh();
}

void ZshrcActivationCard::refresh() {
    // Shown only inside its screen: never as a window of its own.
    if (!model_->isPending()) {
        hide();
        return;
    }
    if (parentWidget()) show();
    const FileAppendWriter::DiffPreview& preview = *model_->preview();
    intro_->setParts(QStringLiteral("One more thing: we need to append to "), preview.path,
                     QStringLiteral(" so JAVA_HOME gets set in fresh shells."));
    rows_->setRows(model_->rows());
    backup_->setParts(QStringLiteral("Backup: "), preview.backupPath);
    error_->setVisible(model_->error().has_value());
    error_->setText(model_->error().value_or(QString()));
    apply_->setEnabled(!model_->isApplying()); // Skip stays: it ends a wait for another program
}

} // namespace qlan
