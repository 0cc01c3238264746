#include "editors/TitleSheet.h"

#include "editors/CancelAndSaveButtons.h"

#include "uikit/Beeper.h"

#include "foundation/StringAdditions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace knvt {

TitleSheet::TitleSheet(QWidget *parent) : Sheet(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(new QLabel(tr("Title"), this));
    m_titleTextField = new KNVTTextField(this);
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    m_titleTextField->setMinimumWidth(260);
    m_titleTextField->setReturnBehaviour(1);
    m_titleTextField->setReturnTarget(this);
    m_titleTextField->setReturnAction(QByteArrayLiteral("save"));
    titleRow->addWidget(m_titleTextField, 1);
    layout->addLayout(titleRow);
    m_contentLayout = new QVBoxLayout;
    layout->addLayout(m_contentLayout);

    const CancelAndSaveButtons buttons = CancelAndSaveButtons::add(layout, this, false);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;
    m_saveButton->setEnabled(false);

    connect(m_titleTextField, &QLineEdit::textChanged, this, &TitleSheet::updateSaveButton);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });
}

bool TitleSheet::hasVisibleCharacter(const QString &title)
{
    return !trimmedString(title).isEmpty();
}

void TitleSheet::updateSaveButton()
{
    m_saveButton->setEnabled(canSave());
}

void TitleSheet::save(QObject *)
{
    if (!m_saveButton->isEnabled()) {
        Beeper::shared().beep();
        return;
    }
    if (performSave())
        dismiss();
}

void TitleSheet::cancel(QObject *)
{
    dismiss();
}

} // namespace knvt
