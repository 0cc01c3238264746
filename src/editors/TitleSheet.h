#pragma once

#include "editors/Sheet.h"

#include "uikit/KNVTTextField.h"

#include <QPushButton>

class QBoxLayout;

namespace knvt {

// A sheet that creates or changes one titled object (a project, an area, a tag): a title field, Cancel and Save.
// Save's enabled state is the one condition of saving and is judged again on every edit of the title; save() judges
// it again and beeps when Save is disabled, so Return in the title field (which always saves) and the button obey
// the same rule. Cancel only ends the sheet.
class TitleSheet : public Sheet
{
    Q_OBJECT

public:
    KNVTTextField *titleTextField() const { return m_titleTextField; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    void updateSaveButton();
    Q_INVOKABLE void save(QObject *sender = nullptr);
    Q_INVOKABLE void cancel(QObject *sender = nullptr);

    // A title with something besides white space.
    static bool hasVisibleCharacter(const QString &title);

protected:
    explicit TitleSheet(QWidget *parent);

    // Whether the title as it stands may be saved.
    virtual bool canSave() const { return hasVisibleCharacter(m_titleTextField->text()); }
    // Creates or changes the object; the sheet ends afterwards unless this answers false.
    virtual bool performSave() = 0;
    // The title as typed, when it is not `loadedTitle`: what a close without saving loses.
    QStringList typedTitle(const QString &loadedTitle) const;
    // The column the subclass adds its own controls to, between the title and the buttons.
    QBoxLayout *contentLayout() const { return m_contentLayout; }
    // Tab and Shift+Tab go from the title through the subclass's controls, in the order they stand in the column,
    // to Cancel and Save; the controls come after the buttons were made, so the order is set when the sheet shows.
    void showEvent(QShowEvent *event) override;

private:
    KNVTTextField *m_titleTextField = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QBoxLayout *m_contentLayout = nullptr;
};

} // namespace knvt
