#include "uikit/PopUpFit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPersistentModelIndex>

namespace knvt {

void keepPopUpFittingItsRows(QComboBox *popUp)
{
    QAbstractItemModel *rows = popUp->model();
    const auto refit = [popUp] {
        QAbstractItemView *list = popUp->view();
        if (!list || !list->isVisible())
            return;
        const QPersistentModelIndex highlighted = list->currentIndex();
        // Opening it again works its place and height out anew; it is open already, so nothing else changes.
        popUp->showPopup();
        if (highlighted.isValid())
            list->setCurrentIndex(highlighted);
    };
    // Queued, so that a list rebuilt row by row is fitted once its rows are in.
    QObject::connect(rows, &QAbstractItemModel::rowsInserted, popUp, refit, Qt::QueuedConnection);
    QObject::connect(rows, &QAbstractItemModel::rowsRemoved, popUp, refit, Qt::QueuedConnection);
    QObject::connect(rows, &QAbstractItemModel::modelReset, popUp, refit, Qt::QueuedConnection);
    QObject::connect(rows, &QAbstractItemModel::layoutChanged, popUp, refit, Qt::QueuedConnection);
}

} // namespace knvt
