#pragma once

#include "EditorsFixture.h"

#include "editors/KNVTTaskFormViewController.h"

#include <QComboBox>

// Helpers for driving a task form the way the user does.
class TaskFormTest : public EditorsFixture
{
protected:
    void SetUp() override
    {
        EditorsFixture::SetUp();
        anchor.resize(120, 30);
        anchor.show();
    }

    // Shows `form` in a semi-transient popover at `anchor`, as the main window does.
    knvt::Popover *present(KNVTTaskFormViewController *form)
    {
        auto *popover = new knvt::Popover(&anchor);
        popover->setBehavior(knvt::Popover::Behavior::SemiTransient);
        form->setParent(popover);
        form->setPopover(popover);
        popover->setContentWidget(form->view());
        popover->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
        return popover;
    }

    static QStringList itemTexts(const QComboBox *popUp)
    {
        QStringList texts;
        for (int i = 0; i < popUp->count(); ++i)
            texts.append(popUp->itemText(i));
        return texts;
    }

    static bool isItemEnabled(const QComboBox *popUp, int index)
    {
        return popUp->model()->flags(popUp->model()->index(index, 0)).testFlag(Qt::ItemIsEnabled);
    }

    // Chooses the enabled item titled `text`, as a click in the pop-up's menu does; false when there is none.
    static bool choose(QComboBox *popUp, const QString &text)
    {
        const int index = popUp->findText(text);
        if (index < 0 || !isItemEnabled(popUp, index))
            return false;
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
        return true;
    }

    QWidget anchor;
};
