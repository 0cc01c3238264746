#include "accounts/KNVTPreferenceViewController.h"

#include "accounts/KNVTPreferenceWindowController.h"

#include "uikit/FirstTabStop.h"

KNVTPreferenceViewController::KNVTPreferenceViewController(QObject *parent) : KNVTViewController(parent) {}

KNVTPreferenceViewController::~KNVTPreferenceViewController() = default;

KNVTPreferenceWindowController *KNVTPreferenceViewController::preferenceWindowController() const
{
    return m_preferenceWindowController;
}

void KNVTPreferenceViewController::setPreferenceWindowController(KNVTPreferenceWindowController *controller)
{
    m_preferenceWindowController = controller;
}

QWidget *KNVTPreferenceViewController::firstFocus()
{
    return knvt::firstTabStop(view());
}
