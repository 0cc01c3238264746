#pragma once

#include <QDialog>

class QObject;

namespace knvt {

// A sheet over a window: a window-modal dialog that the presenter shows with open() and that ends with
// finished(int), the presenter's did-end callback. dismiss() ends it.
class Sheet : public QDialog
{
    Q_OBJECT

public:
    explicit Sheet(QWidget *parent = nullptr);

    Q_INVOKABLE void dismiss(QObject *sender = nullptr);
};

} // namespace knvt
