#include "uikit/KNVTActivityView.h"

#include "uikit/KNVTProgressIndicator.h"

#include <QApplication>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSpinnerGap = 8;
// Above and below a text of several lines.
constexpr int kWrappedMargin = 4;

// Rounds half away from zero, so that a centred control lands on the same pixel on either side of the middle.
int roundedOrigin(double value)
{
    return int(std::lround(value));
}

// Centres a child of `height` in a parent of `parentHeight`. The distance is rounded from the bottom edge, where the
// line was first laid out, so an odd leftover pixel goes above the child.
int centredTop(int parentHeight, int height)
{
    return parentHeight - roundedOrigin((parentHeight - height) / 2.0) - height;
}

} // namespace

KNVTActivityView::KNVTActivityView(QWidget *parent) : QWidget(parent)
{
    m_progressIndicator = new KNVTProgressIndicator(this);
    m_progressIndicator->setObjectName(QStringLiteral("progressIndicator"));
    m_progressIndicator->setGeometry(0, 0, 16, 16);

    m_textLabel = new QLabel(this);
    m_textLabel->setObjectName(QStringLiteral("textLabel"));
    m_textLabel->setGeometry(0, 0, 0, 0);
    QFont font = QApplication::font();
    font.setPixelSize(10);
    m_textLabel->setFont(font);
    // The palette's secondary grey, for a light and a dark theme alike.
    m_textLabel->setForegroundRole(QPalette::PlaceholderText);
    m_textLabel->setAutoFillBackground(false);
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_textLabel->setAlignment(Qt::AlignCenter);

    layOutSubviews();
}

KNVTActivityView::~KNVTActivityView() = default;

void KNVTActivityView::setState(KNVTActivityViewState state)
{
    const bool changed = m_state != state;
    m_state = state;
    if (changed)
        emit stateChanged(state);
    layOutSubviews();
    // The lines a text takes set the view's height: its layout asks again.
    updateGeometry();
    update();
}

QSize KNVTActivityView::sizeHint() const
{
    return QSize(200, 20);
}

bool KNVTActivityView::hasHeightForWidth() const
{
    return true;
}

int KNVTActivityView::heightForWidth(int width) const
{
    if (m_state != KNVTActivityViewStateCompleted || m_textLabel->text().isEmpty())
        return sizeHint().height();
    QLabel measure(m_textLabel->text());
    measure.setFont(m_textLabel->font());
    measure.setTextFormat(Qt::PlainText);
    measure.setWordWrap(measure.sizeHint().width() > width);
    return std::max(sizeHint().height(), measure.heightForWidth(width) + kWrappedMargin);
}

void KNVTActivityView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOutSubviews();
}

void KNVTActivityView::layOutSubviews()
{
    const int viewWidth = width();
    const int viewHeight = height();
    switch (m_state) {
    case KNVTActivityViewStateActive: {
        m_progressIndicator->show();
        m_progressIndicator->startAnimation();
        m_textLabel->setText(m_activeText);
        m_textLabel->adjustSize();
        const QSize spinner = m_progressIndicator->size();
        const QSize label = m_textLabel->size();
        const int total = spinner.width() + kSpinnerGap + label.width();
        if (viewWidth > total) {
            m_textLabel->show();
            const int spinnerX = roundedOrigin((viewWidth - total) / 2.0);
            m_progressIndicator->move(spinnerX, centredTop(viewHeight, spinner.height()));
            m_textLabel->move(spinnerX + spinner.width() + kSpinnerGap, centredTop(viewHeight, label.height()));
        } else {
            m_textLabel->hide();
            m_progressIndicator->move(roundedOrigin((viewWidth - spinner.width()) / 2.0),
                                      centredTop(viewHeight, spinner.height()));
        }
        break;
    }
    case KNVTActivityViewStateCompleted: {
        m_textLabel->show();
        m_progressIndicator->hide();
        m_progressIndicator->stopAnimation();
        QString text = m_completedText;
        if (m_completedDate.isValid())
            text = QStringLiteral("%1 %2").arg(m_completedText, m_formatter.stringFromDate(m_completedDate));
        m_textLabel->setText(text);
        m_textLabel->setWordWrap(false);
        m_textLabel->adjustSize();
        if (m_textLabel->width() <= viewWidth) {
            const QSize label = m_textLabel->size();
            m_textLabel->move(roundedOrigin((viewWidth - label.width()) / 2.0), centredTop(viewHeight, label.height()));
        } else {
            // A text wider than the line, in a language or at a width that gives it less room, takes more lines: a
            // clipped date would read as another date, and a hidden one tells nothing.
            m_textLabel->setWordWrap(true);
            const int height = m_textLabel->heightForWidth(viewWidth);
            m_textLabel->setGeometry(0, centredTop(viewHeight, height), viewWidth, height);
        }
        break;
    }
    default:
        m_progressIndicator->hide();
        m_textLabel->hide();
        m_progressIndicator->stopAnimation();
        break;
    }
}
