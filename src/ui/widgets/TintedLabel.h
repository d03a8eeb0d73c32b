#pragma once
// A note set apart by a system colour: callout text 10 points inside a rounded box (radius 6) filled with
// the colour at a low opacity and bordered by it at a higher one. The colour is read from the palette at
// each paint, so that the box follows the appearance; the property "systemColor" records its name.

#include "ui/widgets/SystemColors.h"
#include "ui/widgets/TextLabel.h"

namespace qlan {

class TintedLabel : public TextLabel {
    Q_OBJECT
public:
    TintedLabel(const QString& text, SystemColor tint, float fillOpacity, float borderOpacity,
                QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SystemColor tint_;
    float fillOpacity_;
    float borderOpacity_;
};

} // namespace qlan
