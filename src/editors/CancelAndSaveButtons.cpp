#include "editors/CancelAndSaveButtons.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QPushButton>

namespace knvt {

CancelAndSaveButtons CancelAndSaveButtons::add(QBoxLayout *layout, QWidget *parent, bool saveIsDefault,
                                               QPushButton *leading)
{
    auto *row = new QHBoxLayout;
    if (leading)
        row->addWidget(leading);
    row->addStretch(1);
    CancelAndSaveButtons buttons;
    buttons.cancel = new QPushButton(QCoreApplication::translate("CancelAndSaveButtons", "Cancel"), parent);
    buttons.cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons.cancel->setAutoDefault(false);
    row->addWidget(buttons.cancel);
    buttons.save = new QPushButton(QCoreApplication::translate("CancelAndSaveButtons", "Save"), parent);
    buttons.save->setObjectName(QStringLiteral("saveButton"));
    buttons.save->setAutoDefault(false);
    buttons.save->setDefault(saveIsDefault);
    row->addWidget(buttons.save);
    layout->addLayout(row);
    return buttons;
}

} // namespace knvt
