#include "editors/CancelAndSaveButtons.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace knvt {

namespace {

// Presses the default button on a Return that reached the form unaccepted: a key a control ignores travels on to
// its parents, the form among them.
class DefaultButtonReturn : public QObject
{
public:
    DefaultButtonReturn(QWidget *form, QPushButton *button) : QObject(form), m_form(form), m_button(button)
    {
        form->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_form || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        // A Save that cannot save yet takes the key all the same, as a dialog's default button does.
        if (m_button && m_button->isVisible() && m_button->isEnabled())
            m_button->click();
        return true;
    }

private:
    QWidget *m_form;
    QPointer<QPushButton> m_button;
};

} // namespace

CancelAndSaveButtons CancelAndSaveButtons::add(QBoxLayout *layout, QWidget *parent, QWidget *form, QPushButton *leading)
{
    auto *row = new QHBoxLayout;
    if (leading)
        row->addWidget(leading);
    row->addStretch(1);
    CancelAndSaveButtons buttons;
    buttons.cancel = new QPushButton(QCoreApplication::translate("CancelAndSaveButtons", "Cancel"), parent);
    buttons.cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons.cancel->setAutoDefault(false);
    row->addWidget(buttons.cancel);
    buttons.save = new QPushButton(QCoreApplication::translate("CancelAndSaveButtons", "Save"), parent);
    buttons.save->setObjectName(QStringLiteral("saveButton"));
    buttons.save->setAutoDefault(false);
    buttons.save->setDefault(form != nullptr);
    row->addWidget(buttons.save);
    layout->addLayout(row);
    if (form != nullptr)
        new DefaultButtonReturn(form, buttons.save);
    return buttons;
}

} // namespace knvt
