#include "editors/TitleSheet.h"

#include "editors/CancelAndSaveButtons.h"

#include "uikit/Beeper.h"

#include "foundation/StringAdditions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <vector>

namespace knvt {

namespace {

// The widgets of `layout` that Tab can reach, in the order they were added, nested layouts included.
void collectTabStops(const QLayout *layout, std::vector<QWidget *> &stops)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QWidget *widget = item->widget(); widget && (widget->focusPolicy() & Qt::TabFocus))
            stops.push_back(widget);
        else if (const QLayout *inner = item->layout())
            collectTabStops(inner, stops);
    }
}

} // namespace

TitleSheet::TitleSheet(QWidget *parent) : Sheet(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *titleRow = new QHBoxLayout;
    auto *titleLabel = new QLabel(tr("Title"), this);
    titleRow->addWidget(titleLabel);
    m_titleTextField = new KNVTTextField(this);
    titleLabel->setBuddy(m_titleTextField);
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    m_titleTextField->setMinimumWidth(260);
    m_titleTextField->setReturnBehaviour(1);
    m_titleTextField->setReturnTarget(this);
    m_titleTextField->setReturnAction(QByteArrayLiteral("save"));
    titleRow->addWidget(m_titleTextField, 1);
    layout->addLayout(titleRow);
    m_contentLayout = new QVBoxLayout;
    layout->addLayout(m_contentLayout);

    const CancelAndSaveButtons buttons = CancelAndSaveButtons::add(layout, this, this);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;
    m_saveButton->setEnabled(false);

    connect(m_titleTextField, &QLineEdit::textChanged, this, &TitleSheet::updateSaveButton);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });
}

void TitleSheet::showEvent(QShowEvent *event)
{
    std::vector<QWidget *> chain = {m_titleTextField};
    collectTabStops(m_contentLayout, chain);
    chain.insert(chain.end(), {m_cancelButton, m_saveButton});
    for (size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    Sheet::showEvent(event);
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

QStringList TitleSheet::typedTitle(const QString &loadedTitle) const
{
    const QString typed = m_titleTextField->text();
    return typed != loadedTitle ? QStringList{typed} : QStringList();
}

} // namespace knvt
