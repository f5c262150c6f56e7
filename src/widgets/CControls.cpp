#include "widgets/CControls.h"

#include <QEvent>
#include <QFontInfo>
#include <QGlyphRun>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <algorithm>

#include "widgets/Guarded.h"

namespace korvex {
namespace {

// Qt keeps pictures of glyphs up to this size and draws larger ones from their outlines.
constexpr int kLargestGlyphPicture = 64;
// QLineEdit's room between its contents and its line of text.
constexpr int kHorizontalMargin = 2;
constexpr int kVerticalMargin = 1;

// The text as QLineEdit shows it: control characters but the tab as spaces.
QString DisplayText(QString text)
{
    for (QChar& c : text) {
        if ((c.unicode() < 0x20 && c != u'\t') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator
            || c == QChar::ObjectReplacementCharacter)
            c = u' ';
    }
    return text;
}

}  // namespace

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

bool TCEdit::DrawsTextFromImages() const
{
    return PlaceTextDrawnFromImages().has_value();
}

// QLineEdit's own placement of a line that fits, for an edit box showing nothing but its text.
std::optional<TCEdit::TTextPlacement> TCEdit::PlaceTextDrawnFromImages() const
{
    const Qt::Alignment alignment = this->alignment();
    if (QFontInfo(font()).pixelSize() <= kLargestGlyphPicture || text().isEmpty() || hasSelectedText()
        || (hasFocus() && !isReadOnly()) || echoMode() != Normal || !inputMask().isEmpty() || isClearButtonEnabled()
        || !actions().isEmpty() || !(alignment & Qt::AlignAbsolute) || devicePixelRatio() != 1
        || style()->inherits("QStyleSheetStyle"))
        return std::nullopt;

    QTextLayout layout(DisplayText(text()), font());
    QTextOption option;
    option.setTextDirection(Qt::LayoutDirectionAuto);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();

    QStyleOptionFrame panel;
    initStyleOption(&panel);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins());
    const QFontMetrics metrics = fontMetrics();
    const int height = std::max(metrics.boundingRect(text()).height(), metrics.height());
    int top = contents.y() + (contents.height() - height + 1) / 2;
    if (alignment & Qt::AlignBottom)
        top = contents.y() + contents.height() - height - kVerticalMargin;
    else if (alignment & Qt::AlignTop)
        top = contents.y() + kVerticalMargin;
    const QRect lineRect(contents.x() + kHorizontalMargin, top, contents.width() - 2 * kHorizontalMargin, height);
    const int widthUsed = qRound(line.naturalTextWidth()) + 1;
    if (widthUsed > lineRect.width())
        return std::nullopt;  // scrolled to its cursor, which QLineEdit keeps track of
    int scroll = 0;
    if (alignment & Qt::AlignRight)
        scroll = widthUsed - lineRect.width() + 1;
    else if (alignment & Qt::AlignHCenter)
        scroll = (widthUsed - lineRect.width()) / 2;
    const QPoint origin = lineRect.topLeft() - QPoint(scroll, qRound(line.ascent()) - metrics.ascent());
    TTextPlacement placement{{}, contents};
    for (const QGlyphRun& run : layout.glyphRuns())
        placement.glyphs += m_glyphImages.Place(run, origin, palette().text().color());
    if (!TGlyphImages::Separate(placement.glyphs))
        return std::nullopt;
    return placement;
}

void TCEdit::paintEvent(QPaintEvent* event)
{
    RunGuarded([&] {
        const std::optional<TTextPlacement> placement = PlaceTextDrawnFromImages();
        if (!placement) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        QStyleOptionFrame panel;
        initStyleOption(&panel);
        style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
        painter.setClipRect(placement->clip);
        TGlyphImages::Draw(painter, placement->glyphs);
    });
}

}  // namespace korvex
