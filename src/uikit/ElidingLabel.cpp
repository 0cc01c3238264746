#include "uikit/ElidingLabel.h"

#include <QPainter>
#include <QStyle>

namespace knvt {

ElidingLabel::ElidingLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ElidingLabel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ElidingLabel::minimumSizeHint() const
{
    // Room for the ellipsis and a letter before it; the layout may give the rest to its neighbours.
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("M\u2026")), QLabel::minimumSizeHint().height());
}

void ElidingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(),
                          shownText(), foregroundRole());
}

} // namespace knvt
