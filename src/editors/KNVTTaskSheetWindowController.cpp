#include "editors/KNVTTaskSheetWindowController.h"

#include <QVBoxLayout>

KNVTTaskSheetWindowController::KNVTTaskSheetWindowController(KNVTCDTask *task, QWidget *parent)
    : knvt::Sheet(parent), m_taskWindowController(new KNVTTaskWindowController(task, this))
{
    setResizable(true);
    setObjectName(QStringLiteral("KNVTTaskSheetWindowController"));
    setWindowTitle(m_taskWindowController->windowTitle());
    m_taskWindowController->setWindowFlags(Qt::Widget);
    m_taskWindowController->setDismissHandler([this] { dismiss(); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_taskWindowController);
    resize(420, 520);
}
