#include "app/glyph_button.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace tw {

static constexpr int kWidth = 78;
static constexpr int kMinimumWidth = 66;
static constexpr int kGlyph = 32;

TGlyphButton::TGlyphButton(QWidget *parent) : QToolButton(parent)
{
    setIconSize(QSize(kGlyph, kGlyph));
    setAutoRaise(false);
    setFocusPolicy(Qt::StrongFocus);
    QFont captionFont = font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.9);
    setFont(captionFont);
}

QRect TGlyphButton::textRect() const { return QRect(4, kGlyph + 8, width() - 8, height() - kGlyph - 10); }

QSize TGlyphButton::sizeHint() const
{
    // Every button of the row has room for three caption lines, so the row
    // keeps one height whichever buttons are shown.
    const QFontMetrics metrics(font());
    return QSize(kWidth, kGlyph + 12 + 3 * metrics.height());
}

QSize TGlyphButton::minimumSizeHint() const { return QSize(kMinimumWidth, sizeHint().height()); }

void TGlyphButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const QIcon::Mode mode = isEnabled() ? (hasFocus() ? QIcon::Active : QIcon::Normal) : QIcon::Disabled;
    const QPixmap glyph = icon().pixmap(iconSize(), mode);
    painter.drawPixmap((width() - kGlyph) / 2, 5, glyph);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, text());
}

} // namespace tw
