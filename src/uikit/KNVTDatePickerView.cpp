#include "uikit/KNVTDatePickerView.h"

#include "uikit/KNVTDatePickerViewController.h"

#include <QKeyEvent>

KNVTDatePickerView::KNVTDatePickerView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("datePickerView"));
}

void KNVTDatePickerView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_datePickerViewController) {
        event->accept();
        m_datePickerViewController->cancel();
        return;
    }
    if (event->key() != Qt::Key_Return) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (KNVTDatePickerViewController *controller = m_datePickerViewController)
        controller->dayChosen();
}
