#include "ui/progress/ZshrcActivationCard.h"

#include "progress/ZshrcActivationPreview.h"
#include "ui/progress/FileEditWidgets.h"
#include "ui/widgets/TextLabel.h"

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
}

} // namespace qlan
