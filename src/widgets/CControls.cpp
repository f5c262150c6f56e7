#include "widgets/CControls.h"

#include <QEvent>

namespace korvex {

TCEdit::TCEdit(QWidget* parent) : QLineEdit(parent)
{
    ApplyAlignment();
}

void TCEdit::SetAlignment(TAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    ApplyAlignment();
}

void TCEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange)
        ApplyAlignment();
}

void TCEdit::ApplyAlignment()
{
    // Absolute alignment: Qt would otherwise mirror left and right by itself, and the swap below
    // must happen exactly once.
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    Qt::Alignment horizontal = Qt::AlignHCenter;
    if (m_alignment == taLeftJustify)
        horizontal = rightToLeft ? Qt::AlignRight : Qt::AlignLeft;
    else if (m_alignment == taRightJustify)
        horizontal = rightToLeft ? Qt::AlignLeft : Qt::AlignRight;
    setAlignment(horizontal | Qt::AlignAbsolute | Qt::AlignVCenter);
}

}  // namespace korvex
