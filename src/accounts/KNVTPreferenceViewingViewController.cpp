#include "accounts/KNVTPreferenceViewingViewController.h"

#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/UnsavedTyping.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace {

// The lines a preview shows; the lists know no other number.
constexpr int kPreviewLines = 2;

} // namespace

KNVTPreferenceViewingViewController::KNVTPreferenceViewingViewController(QObject *parent)
    : KNVTPreferenceViewController(parent)
{
    setTitle(tr("Viewing"));
}

KNVTPreferenceViewingViewController::~KNVTPreferenceViewingViewController() = default;

void KNVTPreferenceViewingViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTPreferenceViewingViewController"));
    m_previewTaskNotesCheckboxButton = new QCheckBox(tr("Preview task notes in lists"));
    m_previewTaskNotesCheckboxButton->setObjectName(QStringLiteral("previewTaskNotesCheckboxButton"));
    m_previewTaskNotesCheckboxButton->setChecked(
        knvt::Defaults::standard().value(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines)).toInt() != 0);
    // A tick takes effect as it is made: closing the preferences drops nothing.
    knvt::UnsavedTyping::markNotKept(m_previewTaskNotesCheckboxButton);
    connect(m_previewTaskNotesCheckboxButton, &QCheckBox::clicked, this,
            &KNVTPreferenceViewingViewController::previewTaskNotes);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(m_previewTaskNotesCheckboxButton);
    layout->addStretch(1);
    view->setMinimumWidth(480);
    setView(view);
}

void KNVTPreferenceViewingViewController::previewTaskNotes()
{
    knvt::Defaults::standard().setValue(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines),
                                        m_previewTaskNotesCheckboxButton->isChecked() ? kPreviewLines : 0);
    knvt::NotificationCenter::defaultCenter().post(
        QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification));
}
