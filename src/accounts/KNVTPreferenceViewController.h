#pragma once

#include "uikit/KNVTViewController.h"

#include <QPointer>

class KNVTPreferenceWindowController;

// A pane of the preference window. The window sets itself as the pane's window right after making the pane.
class KNVTPreferenceViewController : public KNVTViewController
{
    Q_OBJECT

public:
    explicit KNVTPreferenceViewController(QObject *parent = nullptr);
    ~KNVTPreferenceViewController() override;

    KNVTPreferenceWindowController *preferenceWindowController() const;
    void setPreferenceWindowController(KNVTPreferenceWindowController *controller);

    // Where the keyboard goes when this pane takes the place of the pane that had it: its first tab stop, unless the
    // pane has a better place to start from. nullptr when it has none.
    virtual QWidget *firstFocus();

private:
    QPointer<KNVTPreferenceWindowController> m_preferenceWindowController;
};
