#include "editors/Sheet.h"

namespace knvt {

Sheet::Sheet(QWidget *parent) : QDialog(parent)
{
    setWindowModality(Qt::WindowModal);
    // The presenter keeps the sheet until its did-end callback, which lets it go.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void Sheet::dismiss(QObject *)
{
    done(0);
}

} // namespace knvt
