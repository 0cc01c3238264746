#include "editors/KNVTTaskEditWindowController.h"

#include "uikit/KNVTTextField.h"

#include <QVBoxLayout>

KNVTTaskEditWindowController::KNVTTaskEditWindowController(KNVTCDTask *task, QWidget *parent)
    : knvt::Sheet(parent), m_taskEditViewController(new KNVTTaskEditViewController(task, this))
{
    setObjectName(QStringLiteral("KNVTTaskEditWindowController"));
    setWindowTitle(tr("Edit Task"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_taskEditViewController->view());
    m_taskEditViewController->setWindow(this);
    if (KNVTTextField *title = m_taskEditViewController->titleTextField())
        title->setFocus(Qt::OtherFocusReason);
}
