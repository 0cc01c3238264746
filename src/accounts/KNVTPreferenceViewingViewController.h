#pragma once

#include "accounts/KNVTPreferenceViewController.h"

#include <QPointer>

class QCheckBox;

// The Viewing pane: whether the lists show two lines of a task's notes under its title.
class KNVTPreferenceViewingViewController : public KNVTPreferenceViewController
{
    Q_OBJECT

public:
    explicit KNVTPreferenceViewingViewController(QObject *parent = nullptr);
    ~KNVTPreferenceViewingViewController() override;

public slots:
    void previewTaskNotes();

protected:
    void loadView() override;

private:
    QPointer<QCheckBox> m_previewTaskNotesCheckboxButton;
};
