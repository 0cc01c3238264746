#include "editors/KNVTTaskSheetWindowController.h"

#include <QAction>

KNVTTaskSheetWindowController::KNVTTaskSheetWindowController(KNVTCDTask *task, QWidget *parent)
    : KNVTTaskWindowController(task, parent)
{
    setObjectName(QStringLiteral("KNVTTaskSheetWindowController"));
    setWindowFlags(Qt::Dialog);
    setWindowModality(Qt::WindowModal);
}

void KNVTTaskSheetWindowController::open()
{
    m_finished = false;
    show();
    raise();
    activateWindow();
}

void KNVTTaskSheetWindowController::dismiss(QObject *sender)
{
    if (!m_finished) {
        m_finished = true;
        emit finished(0);
    }
    KNVTTaskWindowController::dismiss(sender);
}
