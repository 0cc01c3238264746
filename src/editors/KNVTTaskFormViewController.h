#pragma once

#include "editors/DateField.h"
#include "editors/KNVTUserSelectionDelegate.h"

#include "uikit/KNVTDatePickerViewControllerDelegate.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTTokenField.h"
#include "uikit/KNVTTokenFieldDelegate.h"
#include "uikit/KNVTViewController.h"
#include "uikit/Popover.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QToolButton>
#include <QUrl>

#include <memory>
#include <vector>

class KNVTCDTag;
class KNVTCDTaskList;
class KNVTCDUser;
class KNVTRecurrence;
class KNVTUserSelection;
namespace knvt {
class PopUpRowsModel;
}

// What the new-task and the edit-task forms share: the title, status and notes; a start and a due date, each behind
// a check box, with a calendar popover beside it; a repeat rule; the task's project or area with a pop-up that offers
// the active ones; its tags; and, for a list shared with others, a collaborators section with the assignee and the
// watchers. The two forms fill, save and close themselves; this class holds the controls and their behaviour.
//
// A form lives in a popover (the host calls setPopover() before the view is loaded) or in a window (setWindow()
// afterwards), and changes its own size when the collaborators section comes or goes. It follows the task store:
// the list pop-up is rebuilt after every save, and a chosen list that is deleted stays chosen, marked as deleted,
// until the user chooses another: the form never files the task somewhere the user did not choose.
class KNVTTaskFormViewController : public KNVTViewController,
                                   public KNVTDatePickerViewControllerDelegate,
                                   public KNVTTokenFieldDelegate,
                                   public KNVTUserSelectionDelegate
{
    Q_OBJECT

public:
    static constexpr int FormWidth = 480;
    static constexpr int ButtonBarHeight = 40;

    ~KNVTTaskFormViewController() override;

    // The hosts; neither is owned.
    // The popover named by the host, or else the one holding the view.
    knvt::Popover *popover() const;
    void setPopover(knvt::Popover *popover) { m_popover = popover; }
    QWidget *window() const { return m_window; }
    void setWindow(QWidget *window) { m_window = window; }

    // The form's size with the collaborators section hidden or shown.
    virtual QSize formSize(bool collaboratorsShown) const = 0;

    // -- Values, as the save and the hosts read them ---------------------------------------------------------------
    // As typed, not trimmed.
    QString taskTitle() const;
    QString notes() const;
    // The tag of the selected status item.
    unsigned int status() const;
    // The picker's date while its box is ticked, else none.
    QDateTime startDate() const;
    QDateTime dueDate() const;
    // The repeat rule while its box is ticked, else none. An empty interval counts as 1. A rule the controls cannot
    // show is given back as it was loaded until the user unticks the box.
    std::shared_ptr<KNVTRecurrence> recurrence() const;
    KNVTCDTaskList *taskList() const { return selectedTaskList(); }
    KNVTCDTaskList *selectedTaskList() const;
    // The chosen list's reference, also after the list was deleted; empty for "No Project/Area".
    QUrl selectedTaskListURI() const { return m_selectedTaskListURI; }
    // The user of the selected assignee item, or none.
    KNVTCDUser *assignee() const;
    // The users of the watcher tokens, in token order.
    std::vector<KNVTCDUser *> watchers() const;
    // The tag tokens: references to existing tags (as tags) and typed titles (as strings), in token order. A token
    // whose tag was deleted while the form was open counts as its title typed, so that a save makes the tag again.
    QVariantList tagTokens() const;
    // The members of the chosen list, in the order the watcher completions and the watchers popover offer them.
    virtual std::vector<KNVTCDUser *> usersForSelectedTaskList() const;
    bool isCollaboratorsSectionExpanded() const { return m_collaboratorsSectionExpanded; }

    // -- Controls (all nullptr until the view is loaded) -------------------------------------------------------------
    KNVTTextField *titleTextField() const { return m_titleTextField; }
    QComboBox *statusPopUpButton() const { return m_statusPopUpButton; }
    KNVTTextView *notesTextView() const { return m_notesTextView; }
    QCheckBox *startDateCheckBoxButton() const { return m_startDateCheckBoxButton; }
    knvt::DateField *startDateDatePicker() const { return m_startDateDatePicker; }
    QToolButton *startDateCalendarButton() const { return m_startDateCalendarButton; }
    QCheckBox *dueDateCheckBoxButton() const { return m_dueDateCheckBoxButton; }
    knvt::DateField *dueDateDatePicker() const { return m_dueDateDatePicker; }
    QToolButton *dueDateCalendarButton() const { return m_dueDateCalendarButton; }
    QCheckBox *recurrenceRuleCheckBoxButton() const { return m_recurrenceRuleCheckBoxButton; }
    QLineEdit *recurrenceRuleIntervalTextField() const { return m_recurrenceRuleIntervalTextField; }
    QComboBox *recurrenceRuleFrequencyPopUpButton() const { return m_recurrenceRuleFrequencyPopUpButton; }
    // What a loaded rule that the interval and frequency cannot show says; hidden otherwise.
    QLabel *recurrenceDescriptionLabel() const { return m_recurrenceDescriptionLabel; }
    KNVTLevelIndicator *priorityLevelIndicator() const { return m_priorityLevelIndicator; }
    QComboBox *taskListPopUpButton() const { return m_taskListPopUpButton; }
    KNVTTokenField *tagsTokenField() const { return m_tagsTokenField; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *saveButton() const { return m_saveButton; }
    QWidget *collaboratorsView() const { return m_collaboratorsView; }
    QComboBox *assigneePopUpButton() const { return m_assigneePopUpButton; }
    QLabel *creatorTextField() const { return m_creatorTextField; }
    KNVTTokenField *watchersTokenField() const { return m_watchersTokenField; }
    QToolButton *watchersButton() const { return m_watchersButton; }

    // The open popovers, or nullptr.
    knvt::Popover *startDatePickerPopover() const { return m_startDatePickerPopover; }
    knvt::Popover *dueDatePickerPopover() const { return m_dueDatePickerPopover; }
    knvt::Popover *userSelectionPopover() const { return m_userSelectionPopover; }
    KNVTUserSelection *userSelection() const;

    // -- Actions -----------------------------------------------------------------------------------------------------
    // Each check box shows and enables its controls while ticked. (The accessors take the plain names.)
    void startDateToggled();
    void dueDateToggled();
    void recurrenceToggled();
    // Open the calendar popover next to `sender`, or close it when it is open. Choosing a day in it changes the
    // inline picker, not its box.
    void displayStartDatePickerPopover(QWidget *sender);
    void displayDueDatePickerPopover(QWidget *sender);
    // The list pop-up's choice: takes the list, offers its members as assignees and shows or hides the
    // collaborators section to match.
    void taskListChosen();
    void collaborators();
    // Opens the list of the chosen list's members next to `sender`, or closes it.
    void watchersUserSelection(QWidget *sender);
    Q_INVOKABLE virtual void save(QObject *sender = nullptr) = 0;
    Q_INVOKABLE virtual void cancel(QObject *sender = nullptr);

    // -- Operations --------------------------------------------------------------------------------------------------
    void updateTaskList();
    void updateAssignee();
    // Save is enabled while the form may be saved (canSave).
    void updateAddButton();
    // The title has something besides white space, and each ticked date field names a day. The saves judge it again,
    // so that Return in the title and the button obey the same rule.
    bool canSave() const;
    // A title that is empty once trimmed is no title.
    static bool isAcceptableTitle(const QString &title);
    void expandCollaboratorsSection(bool expand, bool animate);

    // -- Roles -------------------------------------------------------------------------------------------------------
    void datePickerViewController(KNVTDatePickerViewController *controller, const QDateTime &date) override;
    QString tokenField(KNVTTokenField *tokenField, const QVariant &representedObject) override;
    QStringList completionsForSubstring(KNVTTokenField *tokenField, const QString &substring) override;
    QVariantList shouldAddObjects(KNVTTokenField *tokenField, const QVariantList &objects, qsizetype index) override;
    bool hasMenuForRepresentedObject(KNVTTokenField *tokenField, const QVariant &representedObject) override;
    QMenu *menuForRepresentedObject(KNVTTokenField *tokenField, const QVariant &representedObject) override;
    bool writeRepresentedObjects(KNVTTokenField *tokenField, const QVariantList &objects, QMimeData &mime) override;
    QStringList readFromPasteboard(KNVTTokenField *tokenField, const QMimeData &mime) override;
    void userSelectionDidSelectUser(KNVTUserSelection *selection, KNVTCDUser *user) override;
    void userSelectionDidDeselectUser(KNVTUserSelection *selection, KNVTCDUser *user) override;

protected:
    explicit KNVTTaskFormViewController(QObject *parent = nullptr);

    void loadView() override;
    // A form that appears with the focus nowhere inside it gives it to the title, so that the keyboard works in the
    // form from the start: a popover does not take the focus by itself.
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Starts following the task store; the forms call it last when they have filled themselves.
    void observeTaskStore();
    virtual void taskStoreWillChange();
    virtual void taskStoreDidChange();
    // Whether the store's change under way was made elsewhere (a sync, another program), not by the user here.
    bool changeMadeElsewhere() const { return m_changeMadeElsewhere; }
    // Notes the titles of the tags of the tag tokens, while they still exist.
    void rememberTagTitles();

    // What differs between the two forms.
    // The form's name, which screen readers give the popover or window that shows it.
    virtual QString formTitle() const = 0;
    virtual bool hasPriority() const = 0;
    virtual bool hasCreator() const = 0;
    // The new form sorts the active lists; the edit form keeps the store's order.
    virtual bool sortsTaskLists() const = 0;
    virtual QDateTime startDatePopoverMinimum() const = 0;
    virtual bool focusesStartDatePopover() const = 0;
    virtual std::vector<KNVTCDUser *> usersForWatchersPopover() const = 0;
    // Whom the assignee pop-up falls back to while none of its items is chosen.
    virtual KNVTCDUser *startingAssignee() const = 0;

    void setSelectedTaskList(KNVTCDTaskList *taskList);
    // A list was chosen and has been deleted since; "No Project/Area" is no such list.
    bool selectedTaskListIsGone() const;
    // When the chosen list has been deleted, says so in an alert, gives the keyboard to the list pop-up and answers
    // true: the save stops there and the form stays as it was.
    bool tellChosenTaskListIsGone();
    // Shows a stored repeat rule: in the interval and frequency when they can say all of it, else in words while the
    // rule itself is kept as it is.
    void showRecurrence(const QString &recurrenceString);
    // Fills the frequency pop-up with days, weeks, months and years.
    void fillFrequencyPopUp();
    void selectStatus(unsigned int status);
    void setWatcherTokens(const std::vector<KNVTCDUser *> &users);
    // The form's host closes: the popover, a sheet (which ends), or another window.
    void closeHost(QObject *sender);
    // The tags the tag tokens stand for, each once; typed titles find their tag regardless of case, or make one.
    std::vector<KNVTCDTag *> tagsForTokens() const;
    // Watchers while the watchers popover is open and the watcher field changes.
    virtual void watcherTokensDidChange() {}

private:
    void layoutSections(const QSize &size);
    // Tab and Shift+Tab go through the fields in reading order, row by row, and end at Cancel and Save.
    void orderTabs();
    void showOrHideDateControls(QCheckBox *box, QWidget *picker, QWidget *calendar);
    void displayDatePickerPopover(QPointer<knvt::Popover> &popover, knvt::DateField *picker, QWidget *sender,
                                  const QDateTime &minimum, bool focus);
    void setTokenSetContaining(const QUrl &uri, bool contained);

    QPointer<knvt::Popover> m_popover;
    QPointer<QWidget> m_window;
    QUrl m_selectedTaskListURI;
    // What the chosen list was called, and whether it was a project, kept for when it has been deleted.
    QString m_selectedTaskListTitle;
    bool m_changeMadeElsewhere = false;
    bool m_selectedTaskListIsProject = true;
    bool m_collaboratorsSectionExpanded = false;

    QPointer<QWidget> m_topView;
    QPointer<QWidget> m_buttonBar;
    QPointer<KNVTTextField> m_titleTextField;
    QPointer<QComboBox> m_statusPopUpButton;
    QPointer<KNVTTextView> m_notesTextView;
    QPointer<QCheckBox> m_startDateCheckBoxButton;
    QPointer<knvt::DateField> m_startDateDatePicker;
    QPointer<QToolButton> m_startDateCalendarButton;
    QPointer<QCheckBox> m_dueDateCheckBoxButton;
    QPointer<knvt::DateField> m_dueDateDatePicker;
    QPointer<QToolButton> m_dueDateCalendarButton;
    QPointer<QCheckBox> m_recurrenceRuleCheckBoxButton;
    QPointer<QLineEdit> m_recurrenceRuleIntervalTextField;
    QPointer<QComboBox> m_recurrenceRuleFrequencyPopUpButton;
    QPointer<QLabel> m_recurrenceRuleEveryLabel;
    QPointer<QLabel> m_recurrenceDescriptionLabel;
    std::shared_ptr<KNVTRecurrence> m_keptRecurrence;
    QPointer<KNVTLevelIndicator> m_priorityLevelIndicator;
    QPointer<QComboBox> m_taskListPopUpButton;
    knvt::PopUpRowsModel *m_taskListItems = nullptr;
    knvt::PopUpRowsModel *m_assigneeItems = nullptr;
    QPointer<KNVTTokenField> m_tagsTokenField;
    // The titles of the tags the tag tokens referred to, kept for a tag deleted while it is a token.
    QHash<QUrl, QString> m_tagTitles;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QPushButton> m_saveButton;
    QPointer<QWidget> m_collaboratorsView;
    QPointer<QComboBox> m_assigneePopUpButton;
    QPointer<QLabel> m_creatorTextField;
    QPointer<KNVTTokenField> m_watchersTokenField;
    QPointer<QToolButton> m_watchersButton;

    QPointer<knvt::Popover> m_startDatePickerPopover;
    QPointer<knvt::Popover> m_dueDatePickerPopover;
    QPointer<knvt::Popover> m_userSelectionPopover;
    QPointer<QWidget> m_userSelectionView;
    KNVTUserSelection *m_userSelection = nullptr;
};
