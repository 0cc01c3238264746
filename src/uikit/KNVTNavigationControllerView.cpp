#include "uikit/KNVTNavigationControllerView.h"

KNVTNavigationControllerView::KNVTNavigationControllerView(QWidget *parent) : QWidget(parent) {}
