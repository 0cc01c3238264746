#include "editors/Sheet.h"

#include "uikit/ViewAdditions.h"

#include <QLayout>

namespace knvt {

Sheet::Sheet(QWidget *parent) : QDialog(parent)
{
    frameAsSheet(this);
    setWindowModality(Qt::WindowModal);
    // The presenter keeps the sheet until its did-end callback, which lets it go.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void Sheet::dismiss(QObject *)
{
    done(0);
}

void Sheet::setVisible(bool visible)
{
    // The layout is the subclass's, set after this constructor: fixed when the sheet shows.
    if (visible && !m_resizable && layout())
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    QDialog::setVisible(visible);
}

} // namespace knvt
