#include "editors/KNVTTaskListNewWindowController.h"

KNVTTaskListNewWindowController::KNVTTaskListNewWindowController(QWidget *parent) : knvt::TitleSheet(parent) {}
