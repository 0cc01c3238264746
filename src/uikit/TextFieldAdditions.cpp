#include "uikit/TextFieldAdditions.h"

#include <QApplication>
#include <QLineEdit>

namespace knvt {

void setEditable(QLineEdit *field, bool editable)
{
    field->setReadOnly(!editable);
    field->setFrame(editable);
    QPalette palette = field->palette();
    palette.setBrush(QPalette::Base, editable ? QApplication::palette(field).base() : QBrush(Qt::transparent));
    field->setPalette(palette);
}

} // namespace knvt
