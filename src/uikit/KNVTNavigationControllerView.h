#pragma once

#include <QWidget>

// The container a navigation controller shows its top view controller in.
class KNVTNavigationControllerView : public QWidget
{
    Q_OBJECT

public:
    explicit KNVTNavigationControllerView(QWidget *parent = nullptr);
};
