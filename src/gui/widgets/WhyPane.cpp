#include "widgets/WhyPane.h"

namespace vexilor {

CWhyPane::CWhyPane(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("whyPane"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::ClickFocus);
    setFrameShape(QFrame::StyledPanel);
    setMargin(3);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Two lines tall whatever it says, so that the list above does not jump between rows.
    setMinimumHeight(fontMetrics().lineSpacing() * 2 + 2 * (margin() + frameWidth()));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
}

}  // namespace vexilor
