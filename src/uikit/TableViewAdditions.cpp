#include "uikit/TableViewAdditions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

#include <cmath>

namespace knvt {

namespace {

const char *const LabelName = "emptyListLabel";

// Keeps a shown label centred while the viewport changes size, so the empty-list text stays in the middle of the
// list however the window is resized.
class LabelCentering : public QObject
{
public:
    LabelCentering(QAbstractItemView *view, QLabel *label)
        : QObject(label), m_view(view), m_viewport(view->viewport()), m_label(label)
    {
        m_viewport->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The viewport also sends events while the view is being destroyed; touch the view only for a resize.
        if (event->type() == QEvent::Resize && watched == m_viewport && !m_label->isHidden())
            place(m_view, m_label);
        return false;
    }

    static void place(QAbstractItemView *view, QLabel *label)
    {
        label->adjustSize();
        const QRectF frame = emptyStateLabelFrame(view->viewport()->width(), tableRowHeight(view), label->size());
        label->move(qRound(frame.x()), qRound(frame.y()));
    }

private:
    QAbstractItemView *m_view;
    QObject *m_viewport;
    QLabel *m_label;
};

} // namespace

QLabel *label(const QAbstractItemView *view)
{
    return view->viewport()->findChild<QLabel *>(QLatin1String(LabelName), Qt::FindDirectChildrenOnly);
}

void setLabel(QAbstractItemView *view, QLabel *newLabel)
{
    QLabel *old = label(view);
    if (old == newLabel)
        return;
    delete old;
    if (newLabel == nullptr)
        return;
    newLabel->setObjectName(QLatin1String(LabelName));
    newLabel->setParent(view->viewport());
    newLabel->hide();
    new LabelCentering(view, newLabel);
}

QLabel *makeLabel(QAbstractItemView *view)
{
    auto *newLabel = new QLabel;
    QFont font = QApplication::font();
    font.setPixelSize(22);
    newLabel->setFont(font);
    // The secondary grey of placeholder texts, which the palette gives for a light and a dark background alike.
    newLabel->setForegroundRole(QPalette::PlaceholderText);
    newLabel->setFrameShape(QFrame::NoFrame);
    newLabel->setAutoFillBackground(false);
    newLabel->setAttribute(Qt::WA_TranslucentBackground);
    newLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    newLabel->setGeometry(0, 0, 0, 0);
    setLabel(view, newLabel);
    return newLabel;
}

void setLabelText(QAbstractItemView *view, const QString &text)
{
    QLabel *current = label(view);
    if (current == nullptr && !text.isEmpty())
        current = makeLabel(view);
    if (current == nullptr)
        return;
    current->setText(text.isNull() ? QStringLiteral("") : text);
    setLabelVisible(view, !text.isEmpty());
}

QString labelText(const QAbstractItemView *view)
{
    const QLabel *current = label(view);
    return current == nullptr ? QString() : current->text();
}

bool isLabelVisible(const QAbstractItemView *view)
{
    const QLabel *current = label(view);
    return current != nullptr && !current->isHidden();
}

void setLabelVisible(QAbstractItemView *view, bool visible)
{
    QLabel *current = label(view);
    if (current == nullptr)
        return;
    // The painted text is no element of its own for a screen reader: while it shows it is the list's description,
    // read with the list's name when the focus arrives. A description the list had of its own stays.
    const QString shownDescription = current->property("describedAs").toString();
    if (!shownDescription.isEmpty() && view->accessibleDescription() == shownDescription)
        view->setAccessibleDescription(QString());
    current->setProperty("describedAs", QVariant());
    current->hide();
    if (!visible)
        return;
    LabelCentering::place(view, current);
    current->show();
    if (view->accessibleDescription().isEmpty() && !current->text().isEmpty()) {
        view->setAccessibleDescription(current->text());
        current->setProperty("describedAs", current->text());
    }
}

int tableRowHeight(const QAbstractItemView *view)
{
    bool ok = false;
    const int property = view->property("rowHeight").toInt(&ok);
    if (ok && property > 0)
        return property;
    const QAbstractItemModel *model = view->model();
    if (model != nullptr && model->rowCount(view->rootIndex()) > 0) {
        const int first = view->sizeHintForRow(0);
        if (first > 0)
            return first;
    }
    if (const auto *table = qobject_cast<const QTableView *>(view))
        return table->verticalHeader()->defaultSectionSize();
    return view->fontMetrics().height();
}

QRectF emptyStateLabelFrame(qreal viewWidth, qreal rowHeight, const QSizeF &fitted)
{
    return QRectF((viewWidth - fitted.width()) / 2, (rowHeight - fitted.height()) / 2 + 2 * rowHeight + 5,
                  fitted.width(), fitted.height());
}

} // namespace knvt
