#include "editors/KNVTTaskFormViewController.h"

#include "editors/CancelAndSaveButtons.h"
#include "editors/DateField.h"
#include "editors/DatePickerPopover.h"
#include "editors/EditorObjects.h"
#include "editors/HostPopover.h"
#include "editors/KNVTUserSelection.h"
#include "editors/KNVTUserSelectionFactory.h"
#include "editors/Logging.h"
#include "editors/PopUpRowsModel.h"
#include "editors/Sheet.h"
#include "editors/TypedNumber.h"

#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"
#include "model/ObjectReferencePayload.h"
#include "model/RecurrenceInWords.h"

#include "objectstore/Folding.h"

#include "uikit/AlertAdditions.h"
#include "uikit/ImageAdditions.h"
#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTDatePickerViewController.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTTokenField.h"
#include "uikit/PopUpFit.h"
#include "uikit/ShownAsTyped.h"
#include "uikit/UnsavedTyping.h"

#include "foundation/DateAdditions.h"
#include "foundation/NotificationCenter.h"
#include "foundation/StringAdditions.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using knvt::liveObject;

constexpr int Margin = 8;
const QSize TaskListIconSize(11, 14);
constexpr KNVTTaskStatus Statuses[] = {KNVTTaskStatusSomeday, KNVTTaskStatusActionable, KNVTTaskStatusCompleted,
                                       KNVTTaskStatusCancelled};
constexpr KNVTRecurrenceFrequency Frequencies[] = {KNVTRecurrenceFrequencyDaily, KNVTRecurrenceFrequencyWeekly,
                                                   KNVTRecurrenceFrequencyMonthly, KNVTRecurrenceFrequencyYearly};
// A rule repeats at least every one unit; 999 is far enough.
constexpr unsigned int MaximumInterval = 999;

// Whether the interval and the frequency pop-up say all that `recurrence` says: one rule, of days, weeks, months or
// years, an interval the field takes, and no other part. Such a rule is written back as the same text.
bool controlsCanShow(const KNVTRecurrence &recurrence)
{
    const std::optional<KNVTRecurrence::RuleList> &rules = recurrence.recurrenceRules();
    if (!rules || rules->size() != 1)
        return false;
    const KNVTRecurrenceRule &rule = *rules->front();
    if (std::find(std::begin(Frequencies), std::end(Frequencies), rule.frequency()) == std::end(Frequencies)
        || rule.interval() > MaximumInterval)
        return false;
    return KNVTRecurrenceRule(rule.frequency(), rule.interval()).RRULE() == rule.RRULE();
}

bool beginsWithIgnoringCaseAndDiacritics(const QString &text, const QString &prefix)
{
    return ostore::Folding::fold(text).startsWith(ostore::Folding::fold(prefix));
}

QList<QUrl> urlTokens(const QVariantList &tokens)
{
    QList<QUrl> uris;
    for (const QVariant &token : tokens) {
        if (token.typeId() == QMetaType::QUrl)
            uris.append(token.toUrl());
    }
    return uris;
}

QToolButton *calendarButton(const QString &name, const QString &command, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(QStringLiteral("\u25BE"));
    button->setToolTip(QCoreApplication::translate("KNVTTaskFormViewController", "Choose a day in a calendar"));
    // The button shows only an arrow: screen readers say what it does.
    button->setAccessibleName(command);
    button->setAutoRaise(true);
    return button;
}

// A label standing next to `field`: it names the field for screen readers.
QLabel *labelFor(const QString &text, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

} // namespace

KNVTTaskFormViewController::KNVTTaskFormViewController(QObject *parent) : KNVTViewController(parent) {}

KNVTTaskFormViewController::~KNVTTaskFormViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    for (knvt::Popover *popover :
         {m_startDatePickerPopover.data(), m_dueDatePickerPopover.data(), m_userSelectionPopover.data()}) {
        if (popover) {
            disconnect(popover, nullptr, this, nullptr);
            popover->deleteLater();
        }
    }
}

// ---- The view ----

knvt::Popover *KNVTTaskFormViewController::popover() const
{
    return knvt::hostPopover(m_popover, viewIfLoaded());
}

void KNVTTaskFormViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QString::fromLatin1(metaObject()->className()));
    view->setAccessibleName(formTitle());
    view->setFixedSize(formSize(false));

    m_topView = new QWidget(view);
    auto *grid = new QGridLayout(m_topView);
    grid->setContentsMargins(Margin, Margin, Margin, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);

    m_titleTextField = new KNVTTextField(m_topView);
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    // A prompt, neither its name nor its description: no label stands next to the title.
    m_titleTextField->setPrompt(tr("New Task"));
    m_titleTextField->setAccessibleName(tr("Title"));
    m_titleTextField->setReturnBehaviour(1);
    m_titleTextField->setReturnTarget(this);
    m_titleTextField->setReturnAction(QByteArrayLiteral("save"));
    grid->addWidget(m_titleTextField, 0, 0, 1, 5);

    m_notesTextView = new KNVTTextView(m_topView);
    m_notesTextView->setObjectName(QStringLiteral("notesTextView"));
    m_notesTextView->setPlaceholderText(tr("Notes"));
    m_notesTextView->setAccessibleName(tr("Notes"));
    // Tab goes on to the next field, as in every other field of the form; notes never hold a tab character.
    m_notesTextView->setTabChangesFocus(true);
    grid->addWidget(m_notesTextView, 1, 0, 1, 5);
    grid->setRowStretch(1, 1);

    m_startDateCheckBoxButton = new QCheckBox(tr("Start"), m_topView);
    m_startDateCheckBoxButton->setObjectName(QStringLiteral("startDateCheckBoxButton"));
    m_startDateDatePicker = new knvt::DateField(m_topView);
    m_startDateDatePicker->setObjectName(QStringLiteral("startDateDatePicker"));
    m_startDateDatePicker->setAccessibleName(tr("Start Date"));
    m_startDateCalendarButton =
        calendarButton(QStringLiteral("startDateCalendarButton"), tr("Choose Start Date"), m_topView);
    grid->addWidget(m_startDateCheckBoxButton, 2, 0);
    grid->addWidget(m_startDateDatePicker, 2, 1);
    grid->addWidget(m_startDateCalendarButton, 2, 2);

    m_dueDateCheckBoxButton = new QCheckBox(tr("Due"), m_topView);
    m_dueDateCheckBoxButton->setObjectName(QStringLiteral("dueDateCheckBoxButton"));
    m_dueDateDatePicker = new knvt::DateField(m_topView);
    m_dueDateDatePicker->setObjectName(QStringLiteral("dueDateDatePicker"));
    m_dueDateDatePicker->setAccessibleName(tr("Due Date"));
    m_dueDateCalendarButton = calendarButton(QStringLiteral("dueDateCalendarButton"), tr("Choose Due Date"), m_topView);
    grid->addWidget(m_dueDateCheckBoxButton, 3, 0);
    grid->addWidget(m_dueDateDatePicker, 3, 1);
    grid->addWidget(m_dueDateCalendarButton, 3, 2);

    m_statusPopUpButton = new QComboBox(m_topView);
    m_statusPopUpButton->setObjectName(QStringLiteral("statusPopUpButton"));
    for (KNVTTaskStatus status : Statuses)
        m_statusPopUpButton->addItem(KNVTCDTask::localizedDisplayNameForStatus(status), uint(status));
    m_statusPopUpButton->setCurrentIndex(1); // Actionable
    grid->addWidget(labelFor(tr("Status"), m_statusPopUpButton, m_topView), 2, 3, Qt::AlignRight);
    grid->addWidget(m_statusPopUpButton, 2, 4);

    if (hasPriority()) {
        m_priorityLevelIndicator = new KNVTLevelIndicator(m_topView);
        m_priorityLevelIndicator->setObjectName(QStringLiteral("priorityLevelIndicator"));
        m_priorityLevelIndicator->setToolTip(tr("Priority"));
        // Read as words, not as the number of lit segments.
        m_priorityLevelIndicator->setLevelNames(
            {tr("None"), KNVTCDTask::localizedDisplayNameForPriorityLevel(KNVTTaskPriorityLevelLow),
             KNVTCDTask::localizedDisplayNameForPriorityLevel(KNVTTaskPriorityLevelMedium),
             KNVTCDTask::localizedDisplayNameForPriorityLevel(KNVTTaskPriorityLevelHigh)});
        grid->addWidget(labelFor(tr("Priority"), m_priorityLevelIndicator, m_topView), 3, 3, Qt::AlignRight);
        grid->addWidget(m_priorityLevelIndicator, 3, 4, Qt::AlignLeft);
    }

    m_recurrenceRuleCheckBoxButton = new QCheckBox(tr("Repeat"), m_topView);
    m_recurrenceRuleCheckBoxButton->setObjectName(QStringLiteral("recurrenceRuleCheckBoxButton"));
    m_recurrenceRuleIntervalTextField = new QLineEdit(m_topView);
    m_recurrenceRuleIntervalTextField->setObjectName(QStringLiteral("recurrenceRuleIntervalTextField"));
    m_recurrenceRuleIntervalTextField->setValidator(
        new knvt::TypedNumberValidator(1, MaximumInterval, m_recurrenceRuleIntervalTextField));
    // Every single unit unless the user types another number: the field holds it as its value.
    m_recurrenceRuleIntervalTextField->setText(m_recurrenceRuleIntervalTextField->locale().toString(1));
    m_recurrenceRuleIntervalTextField->setAccessibleName(tr("Repeat Every"));
    m_recurrenceRuleIntervalTextField->setFixedWidth(44);
    m_recurrenceRuleFrequencyPopUpButton = new QComboBox(m_topView);
    m_recurrenceRuleFrequencyPopUpButton->setObjectName(QStringLiteral("recurrenceRuleFrequencyPopUpButton"));
    m_recurrenceRuleFrequencyPopUpButton->setAccessibleName(tr("Repeat Unit"));
    // A pop-up is read by its chosen item; what it chooses is said by a label it is labelled by. None shows beside it:
    // "every" and the number before it say it to the eye.
    labelFor(tr("Repeat Unit"), m_recurrenceRuleFrequencyPopUpButton, m_topView)->hide();
    auto *repeat = new QHBoxLayout;
    m_recurrenceRuleEveryLabel = new QLabel(tr("every"), m_topView);
    repeat->addWidget(m_recurrenceRuleEveryLabel);
    repeat->addWidget(m_recurrenceRuleIntervalTextField);
    repeat->addWidget(m_recurrenceRuleFrequencyPopUpButton);
    m_recurrenceDescriptionLabel = new QLabel(m_topView);
    m_recurrenceDescriptionLabel->setObjectName(QStringLiteral("recurrenceDescriptionLabel"));
    // The rule's own words, from the service or another program.
    m_recurrenceDescriptionLabel->setTextFormat(Qt::PlainText);
    m_recurrenceDescriptionLabel->setToolTip(tr("This rule stays as it is. Untick Repeat to replace it."));
    m_recurrenceDescriptionLabel->hide();
    repeat->addWidget(m_recurrenceDescriptionLabel, 1);
    repeat->addStretch(1);
    grid->addWidget(m_recurrenceRuleCheckBoxButton, 4, 0);
    grid->addLayout(repeat, 4, 1, 1, 4);

    m_taskListItems = new knvt::PopUpRowsModel(this);
    m_taskListPopUpButton = new QComboBox(m_topView);
    m_taskListPopUpButton->setObjectName(QStringLiteral("taskListPopUpButton"));
    m_taskListPopUpButton->setModel(m_taskListItems);
    knvt::keepPopUpFittingItsRows(m_taskListPopUpButton);
    m_taskListPopUpButton->setIconSize(TaskListIconSize);
    m_tagsTokenField = new KNVTTokenField(m_topView);
    m_tagsTokenField->setObjectName(QStringLiteral("tagsTokenField"));
    m_tagsTokenField->setDelegate(this);
    m_tagsTokenField->setToolTip(tr("Tags"));
    // The new form lists the list before the tags, the edit form the other way round.
    const int listRow = hasCreator() ? 6 : 5;
    grid->addWidget(labelFor(tr("List"), m_taskListPopUpButton, m_topView), listRow, 0);
    grid->addWidget(m_taskListPopUpButton, listRow, 1, 1, 4);
    grid->addWidget(labelFor(tr("Tags"), m_tagsTokenField, m_topView), 11 - listRow, 0);
    grid->addWidget(m_tagsTokenField, 11 - listRow, 1, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);

    m_collaboratorsView = new QWidget(view);
    m_collaboratorsView->setObjectName(QStringLiteral("collaboratorsView"));
    m_collaboratorsView->setFixedSize(FormWidth, formSize(true).height() - formSize(false).height());
    auto *section = new QVBoxLayout(m_collaboratorsView);
    section->setContentsMargins(Margin, 2, Margin, 2);
    section->setSpacing(2);
    if (hasCreator()) {
        auto *creator = new QHBoxLayout;
        auto *createdBy = new QLabel(tr("Created by"), m_collaboratorsView);
        creator->addWidget(createdBy);
        m_creatorTextField = new QLabel(m_collaboratorsView);
        createdBy->setBuddy(m_creatorTextField);
        m_creatorTextField->setObjectName(QStringLiteral("creatorTextField"));
        m_creatorTextField->setTextFormat(Qt::PlainText);
        creator->addWidget(m_creatorTextField, 1);
        section->addLayout(creator);
    }
    auto *people = new QHBoxLayout;
    m_assigneePopUpButton = new QComboBox(m_collaboratorsView);
    people->addWidget(labelFor(tr("Assignee"), m_assigneePopUpButton, m_collaboratorsView));
    m_assigneePopUpButton->setObjectName(QStringLiteral("assigneePopUpButton"));
    m_assigneeItems = new knvt::PopUpRowsModel(this);
    m_assigneePopUpButton->setModel(m_assigneeItems);
    knvt::keepPopUpFittingItsRows(m_assigneePopUpButton);
    m_assigneePopUpButton->setMinimumWidth(130);
    people->addWidget(m_assigneePopUpButton);
    m_watchersTokenField = new KNVTTokenField(m_collaboratorsView);
    people->addWidget(labelFor(tr("Watchers"), m_watchersTokenField, m_collaboratorsView));
    m_watchersTokenField->setObjectName(QStringLiteral("watchersTokenField"));
    m_watchersTokenField->setDelegate(this);
    people->addWidget(m_watchersTokenField, 1);
    m_watchersButton = new QToolButton(m_collaboratorsView);
    m_watchersButton->setObjectName(QStringLiteral("watchersButton"));
    m_watchersButton->setText(QStringLiteral("\u2026"));
    m_watchersButton->setToolTip(tr("Choose the watchers"));
    m_watchersButton->setAccessibleName(tr("Choose Watchers"));
    m_watchersButton->setAutoRaise(true);
    people->addWidget(m_watchersButton);
    section->addLayout(people);
    m_collaboratorsView->hide();

    m_buttonBar = new QWidget(view);
    auto *buttonColumn = new QVBoxLayout(m_buttonBar);
    buttonColumn->setContentsMargins(Margin, 6, Margin, 8);
    const knvt::CancelAndSaveButtons buttons = knvt::CancelAndSaveButtons::add(buttonColumn, m_buttonBar, view);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;

    connect(m_titleTextField, &QLineEdit::textChanged, this, &KNVTTaskFormViewController::updateAddButton);
    connect(m_startDateCheckBoxButton, &QCheckBox::toggled, this, &KNVTTaskFormViewController::startDateToggled);
    connect(m_dueDateCheckBoxButton, &QCheckBox::toggled, this, &KNVTTaskFormViewController::dueDateToggled);
    for (QCheckBox *box : {m_startDateCheckBoxButton.data(), m_dueDateCheckBoxButton.data()})
        connect(box, &QCheckBox::toggled, this, &KNVTTaskFormViewController::updateAddButton);
    for (knvt::DateField *field : {m_startDateDatePicker.data(), m_dueDateDatePicker.data()})
        connect(field, &knvt::DateField::refusedChanged, this, &KNVTTaskFormViewController::updateAddButton);
    connect(m_recurrenceRuleCheckBoxButton, &QCheckBox::toggled, this, &KNVTTaskFormViewController::recurrenceToggled);
    connect(m_startDateCalendarButton, &QToolButton::clicked, this,
            [this] { displayStartDatePickerPopover(m_startDateCalendarButton); });
    connect(m_dueDateCalendarButton, &QToolButton::clicked, this,
            [this] { displayDueDatePickerPopover(m_dueDateCalendarButton); });
    connect(m_taskListPopUpButton, &QComboBox::activated, this, &KNVTTaskFormViewController::taskListChosen);
    connect(m_watchersButton, &QToolButton::clicked, this, [this] { watchersUserSelection(m_watchersButton); });
    connect(m_watchersTokenField, &KNVTTokenField::objectValueChanged, this,
            &KNVTTaskFormViewController::watcherTokensDidChange);
    connect(m_watchersTokenField->editor(), &QLineEdit::textEdited, this,
            &KNVTTaskFormViewController::watcherTokensDidChange);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });

    layoutSections(view->size());
    orderTabs();
    view->installEventFilter(this);
    setView(view);
}

bool KNVTTaskFormViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == viewIfLoaded() && m_titleTextField) {
        QWidget *focused = QApplication::focusWidget();
        if (!focused || !viewIfLoaded()->isAncestorOf(focused))
            m_titleTextField->setFocus(Qt::OtherFocusReason);
    }
    return KNVTViewController::eventFilter(watched, event);
}

void KNVTTaskFormViewController::orderTabs()
{
    std::vector<QWidget *> chain = {m_titleTextField,        m_notesTextView,           m_startDateCheckBoxButton,
                                    m_startDateDatePicker,   m_startDateCalendarButton, m_statusPopUpButton,
                                    m_dueDateCheckBoxButton, m_dueDateDatePicker,       m_dueDateCalendarButton};
    if (m_priorityLevelIndicator)
        chain.push_back(m_priorityLevelIndicator);
    chain.insert(
        chain.end(),
        {m_recurrenceRuleCheckBoxButton, m_recurrenceRuleIntervalTextField, m_recurrenceRuleFrequencyPopUpButton});
    // The new form lists the list before the tags, the edit form the other way round.
    if (hasCreator())
        chain.insert(chain.end(), {m_tagsTokenField, m_taskListPopUpButton});
    else
        chain.insert(chain.end(), {m_taskListPopUpButton, m_tagsTokenField});
    chain.insert(chain.end(),
                 {m_assigneePopUpButton, m_watchersTokenField, m_watchersButton, m_cancelButton, m_saveButton});
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void KNVTTaskFormViewController::layoutSections(const QSize &size)
{
    const int top = formSize(false).height() - ButtonBarHeight;
    m_topView->setGeometry(0, 0, size.width(), top);
    // The section sits right above the buttons, so the rest of the form stays where it is.
    m_collaboratorsView->move(0, top);
    m_buttonBar->setGeometry(0, size.height() - ButtonBarHeight, size.width(), ButtonBarHeight);
}

void KNVTTaskFormViewController::observeTaskStore()
{
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    center.addObserver(QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(), this,
                       [this](const knvt::Notification &notification) {
                           m_changeMadeElsewhere = knvt::TaskStoreChanges::madeElsewhere(notification);
                           rememberTagTitles();
                           taskStoreWillChange();
                       });
    center.addObserver(QString::fromLatin1(KNVTTaskStoreDidChangeNotification), &knvt::taskStore(), this,
                       [this](const knvt::Notification &notification) {
                           m_changeMadeElsewhere = knvt::TaskStoreChanges::madeElsewhere(notification);
                           taskStoreDidChange();
                       });
}

void KNVTTaskFormViewController::rememberTagTitles()
{
    if (!m_tagsTokenField)
        return;
    for (const QVariant &token : m_tagsTokenField->objectValue())
        if (token.typeId() == QMetaType::QUrl)
            if (const KNVTCDTag *tag = liveObject<KNVTCDTag>(token.toUrl()))
                m_tagTitles.insert(tag->uri(), tag->title());
}

void KNVTTaskFormViewController::taskStoreWillChange()
{
    // A sync may rename the chosen list before it deletes it: the deleted entry shows the last title.
    if (const KNVTCDTaskList *list = selectedTaskList())
        m_selectedTaskListTitle = list->title();
}

void KNVTTaskFormViewController::taskStoreDidChange()
{
    updateTaskList();
    // The chosen list may have gone or changed its members: the assignee and the people follow it.
    updateAssignee();
    const KNVTCDTaskList *list = selectedTaskList();
    if ((list && list->isCollaborative()) != m_collaboratorsSectionExpanded)
        collaborators();
}

// ---- Values ----

QString KNVTTaskFormViewController::taskTitle() const
{
    return m_titleTextField ? m_titleTextField->text() : QString();
}

QString KNVTTaskFormViewController::notes() const
{
    return m_notesTextView ? m_notesTextView->toPlainText() : QString();
}

unsigned int KNVTTaskFormViewController::status() const
{
    return m_statusPopUpButton ? m_statusPopUpButton->currentData().toUInt() : 0;
}

QDateTime KNVTTaskFormViewController::startDate() const
{
    return m_startDateCheckBoxButton && m_startDateCheckBoxButton->isChecked() ? m_startDateDatePicker->dateValue()
                                                                               : QDateTime();
}

QDateTime KNVTTaskFormViewController::dueDate() const
{
    return m_dueDateCheckBoxButton && m_dueDateCheckBoxButton->isChecked() ? m_dueDateDatePicker->dateValue()
                                                                           : QDateTime();
}

std::shared_ptr<KNVTRecurrence> KNVTTaskFormViewController::recurrence() const
{
    if (!m_recurrenceRuleCheckBoxButton || !m_recurrenceRuleCheckBoxButton->isChecked())
        return nullptr;
    if (m_keptRecurrence)
        return m_keptRecurrence;
    const auto frequency = KNVTRecurrenceFrequency(m_recurrenceRuleFrequencyPopUpButton->currentData().toUInt());
    const unsigned int typed =
        knvt::typedNumber(m_recurrenceRuleIntervalTextField->text(), MaximumInterval).value_or(0);
    // An empty interval means every single unit: a rule never repeats every 0 units.
    const unsigned int interval = typed > 0 ? typed : 1;
    return KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(frequency, interval));
}

KNVTCDTaskList *KNVTTaskFormViewController::selectedTaskList() const
{
    return liveObject<KNVTCDTaskList>(m_selectedTaskListURI);
}

void KNVTTaskFormViewController::setSelectedTaskList(KNVTCDTaskList *taskList)
{
    m_selectedTaskListURI = taskList ? taskList->uri() : QUrl();
    m_selectedTaskListTitle = taskList ? taskList->title() : QString();
    m_selectedTaskListIsProject = !taskList || taskList->isProject();
}

bool KNVTTaskFormViewController::selectedTaskListIsGone() const
{
    return !m_selectedTaskListURI.isEmpty() && !selectedTaskList();
}

bool KNVTTaskFormViewController::tellChosenTaskListIsGone()
{
    if (!selectedTaskListIsGone())
        return false;
    qCInfo(lcEditors) << "KNVTTaskFormViewController:save the chosen list was deleted; the form stays open";
    const QString title = m_selectedTaskListIsProject
        ? tr("The project %1 was deleted elsewhere.").arg(m_selectedTaskListTitle)
        : tr("The area %1 was deleted elsewhere.").arg(m_selectedTaskListTitle);
    knvt::runModal({.title = title,
                    .message = tr("Choose another project or area for the task, or No Project/Area."),
                    .typed = {},
                    .buttonTitles = {tr("OK")},
                    .opener = knvt::Opener::User});
    if (m_taskListPopUpButton)
        m_taskListPopUpButton->setFocus(Qt::OtherFocusReason);
    return true;
}

void KNVTTaskFormViewController::showRecurrence(const QString &recurrenceString)
{
    const std::shared_ptr<KNVTRecurrence> repeat = KNVTRecurrence::recurrenceWithStoredString(recurrenceString);
    const std::shared_ptr<KNVTRecurrenceRule> rule = repeat ? repeat->recurrenceRule() : nullptr;
    if (rule) {
        const int item = m_recurrenceRuleFrequencyPopUpButton->findData(unsigned(rule->frequency()));
        if (item >= 0)
            m_recurrenceRuleFrequencyPopUpButton->setCurrentIndex(item);
        if (rule->interval() <= MaximumInterval)
            m_recurrenceRuleIntervalTextField->setText(
                m_recurrenceRuleIntervalTextField->locale().toString(rule->interval()));
    }
    m_recurrenceRuleCheckBoxButton->setChecked(repeat != nullptr);
    m_keptRecurrence = repeat && !controlsCanShow(*repeat) ? repeat : nullptr;
    m_recurrenceDescriptionLabel->setText(m_keptRecurrence ? knvt::recurrenceInWords(recurrenceString) : QString());
    recurrenceToggled();
}

KNVTCDUser *KNVTTaskFormViewController::assignee() const
{
    if (!m_assigneePopUpButton)
        return nullptr;
    const QVariant data = m_assigneePopUpButton->currentData();
    return data.typeId() == QMetaType::QUrl ? liveObject<KNVTCDUser>(data.toUrl()) : nullptr;
}

std::vector<KNVTCDUser *> KNVTTaskFormViewController::watchers() const
{
    return m_watchersTokenField ? knvt::liveObjects<KNVTCDUser>(urlTokens(m_watchersTokenField->objectValue()))
                                : std::vector<KNVTCDUser *>();
}

QVariantList KNVTTaskFormViewController::tagTokens() const
{
    QVariantList tags;
    if (!m_tagsTokenField)
        return tags;
    for (const QVariant &token : m_tagsTokenField->objectValue()) {
        if (token.typeId() == QMetaType::QUrl) {
            if (liveObject<KNVTCDTag>(token.toUrl()))
                tags.append(token);
            else if (const QString title = m_tagTitles.value(token.toUrl()); !title.isEmpty())
                tags.append(title);
        } else if (token.typeId() == QMetaType::QString) {
            tags.append(token);
        }
    }
    return tags;
}

std::vector<KNVTCDTag *> KNVTTaskFormViewController::tagsForTokens() const
{
    std::vector<KNVTCDTag *> tags;
    for (const QVariant &token : tagTokens()) {
        KNVTCDTag *tag = nullptr;
        if (token.typeId() == QMetaType::QUrl) {
            tag = liveObject<KNVTCDTag>(token.toUrl());
        } else {
            // A title typed in another letter case finds the existing tag rather than making a second one.
            tag = knvt::taskStore().tagForTitle(token.toString());
            if (!tag)
                tag = knvt::taskStore().tagWithTitle(token.toString());
        }
        if (tag && std::find(tags.begin(), tags.end(), tag) == tags.end())
            tags.push_back(tag);
    }
    return tags;
}

std::vector<KNVTCDUser *> KNVTTaskFormViewController::usersForSelectedTaskList() const
{
    const KNVTCDTaskList *list = selectedTaskList();
    return list ? list->activeTaskListCollaboratorUsers() : std::vector<KNVTCDUser *>();
}

KNVTUserSelection *KNVTTaskFormViewController::userSelection() const
{
    return m_userSelectionView ? m_userSelection : nullptr;
}

void KNVTTaskFormViewController::selectStatus(unsigned int status)
{
    const int index = m_statusPopUpButton->findData(status);
    if (index >= 0)
        m_statusPopUpButton->setCurrentIndex(index);
}

void KNVTTaskFormViewController::fillFrequencyPopUp()
{
    m_recurrenceRuleFrequencyPopUpButton->clear();
    for (KNVTRecurrenceFrequency frequency : Frequencies)
        m_recurrenceRuleFrequencyPopUpButton->addItem(KNVTRecurrenceRule::localizedPluralNameForFrequency(frequency),
                                                      unsigned(frequency));
}

void KNVTTaskFormViewController::setWatcherTokens(const std::vector<KNVTCDUser *> &users)
{
    QVariantList tokens;
    for (const QUrl &uri : knvt::urisOfObjects(users))
        tokens.append(uri);
    m_watchersTokenField->setObjectValue(tokens);
}

// ---- Check boxes and popovers ----

void KNVTTaskFormViewController::showOrHideDateControls(QCheckBox *box, QWidget *picker, QWidget *calendar)
{
    const bool on = box->isChecked();
    picker->setEnabled(on);
    picker->setVisible(on);
    if (calendar)
        calendar->setVisible(on);
}

void KNVTTaskFormViewController::startDateToggled()
{
    showOrHideDateControls(m_startDateCheckBoxButton, m_startDateDatePicker, m_startDateCalendarButton);
}

void KNVTTaskFormViewController::dueDateToggled()
{
    showOrHideDateControls(m_dueDateCheckBoxButton, m_dueDateDatePicker, m_dueDateCalendarButton);
}

void KNVTTaskFormViewController::recurrenceToggled()
{
    const bool on = m_recurrenceRuleCheckBoxButton->isChecked();
    // Unticking lets a kept rule go: ticking again shows the interval and frequency, which the user then replaces
    // it with.
    if (!on)
        m_keptRecurrence = nullptr;
    const bool controls = on && !m_keptRecurrence;
    for (QWidget *control : {static_cast<QWidget *>(m_recurrenceRuleIntervalTextField),
                             static_cast<QWidget *>(m_recurrenceRuleFrequencyPopUpButton),
                             static_cast<QWidget *>(m_recurrenceRuleEveryLabel)}) {
        control->setEnabled(controls);
        control->setVisible(controls);
    }
    m_recurrenceDescriptionLabel->setVisible(on && m_keptRecurrence != nullptr);
    // The kept rule's words stand where the controls would: the box they belong to says them too.
    m_recurrenceRuleCheckBoxButton->setAccessibleDescription(
        on && m_keptRecurrence ? m_recurrenceDescriptionLabel->text() : QString());
}

void KNVTTaskFormViewController::displayDatePickerPopover(QPointer<knvt::Popover> &slot, knvt::DateField *picker,
                                                          QWidget *sender, const QDateTime &minimum, bool focus)
{
    if (slot) {
        slot->performClose();
        return;
    }
    const bool start = picker == m_startDateDatePicker;
    slot = knvt::showDatePickerPopover(
        sender, start ? QStringLiteral("startDatePickerPopover") : QStringLiteral("dueDatePickerPopover"),
        picker->accessibleName(), picker->dateValue(), minimum, this, focus);
}

void KNVTTaskFormViewController::displayStartDatePickerPopover(QWidget *sender)
{
    displayDatePickerPopover(m_startDatePickerPopover, m_startDateDatePicker, sender, startDatePopoverMinimum(),
                             focusesStartDatePopover());
}

void KNVTTaskFormViewController::displayDueDatePickerPopover(QWidget *sender)
{
    displayDatePickerPopover(m_dueDatePickerPopover, m_dueDateDatePicker, sender, QDateTime(), true);
}

void KNVTTaskFormViewController::datePickerViewController(KNVTDatePickerViewController *controller,
                                                          const QDateTime &date)
{
    if (controller->popover() && controller->popover() == m_startDatePickerPopover)
        m_startDateDatePicker->chooseDay(knvt::dayForDate(date));
    else if (controller->popover() && controller->popover() == m_dueDatePickerPopover)
        m_dueDateDatePicker->chooseDay(knvt::dayForDate(date));
}

void KNVTTaskFormViewController::watchersUserSelection(QWidget *sender)
{
    if (m_userSelectionPopover) {
        m_userSelectionPopover->performClose();
        return;
    }
    if (!sender)
        return;
    KNVTUserSelection *selection =
        KNVTUserSelectionFactory::shared().makeUserSelection(usersForWatchersPopover(), watchers(), this);
    auto *popover = new knvt::Popover(sender->window());
    popover->setObjectName(QStringLiteral("userSelectionPopover"));
    popover->setBehavior(knvt::Popover::Behavior::Transient);
    popover->setAnimates(true);
    // Screen readers read the popover and its list by what the list chooses.
    selection->view()->setAccessibleName(tr("Watchers"));
    popover->setContentWidget(selection->view());
    m_userSelection = selection;
    m_userSelectionView = selection->view();
    m_userSelectionPopover = popover;
    connect(popover, &knvt::Popover::closed, this, [this, popover] {
        m_userSelection = nullptr;
        popover->deleteLater();
    });
    popover->showRelativeTo(QRect(), sender, knvt::Opener::User);
}

void KNVTTaskFormViewController::setTokenSetContaining(const QUrl &uri, bool contained)
{
    // A person ticked in the popover is the user's change of the watchers, as a chip typed into the field is.
    knvt::UnsavedTyping::changing(m_watchersTokenField);
    QVariantList tokens;
    for (const QUrl &token : urlTokens(m_watchersTokenField->objectValue())) {
        if (token != uri && !tokens.contains(token))
            tokens.append(token);
    }
    if (contained)
        tokens.append(uri);
    m_watchersTokenField->setObjectValue(tokens);
}

void KNVTTaskFormViewController::userSelectionDidSelectUser(KNVTUserSelection *, KNVTCDUser *user)
{
    if (user)
        setTokenSetContaining(user->uri(), true);
}

void KNVTTaskFormViewController::userSelectionDidDeselectUser(KNVTUserSelection *, KNVTCDUser *user)
{
    if (user)
        setTokenSetContaining(user->uri(), false);
}

// ---- Lists and people ----

void KNVTTaskFormViewController::updateTaskList()
{
    if (!m_taskListPopUpButton)
        return;
    KNVTTaskStore &store = knvt::taskStore();
    std::vector<KNVTCDTaskList *> projects = store.activeProjects();
    std::vector<KNVTCDTaskList *> areas = store.activeAreas();
    if (sortsTaskLists()) {
        std::stable_sort(projects.begin(), projects.end(), KNVTCDTaskList::taskListComparator());
        std::stable_sort(areas.begin(), areas.end(), KNVTCDTaskList::taskListComparator());
    }
    // The chosen list stays on offer when it is not an active one (a Someday project, one still pending), so the
    // form never shows one list while the task keeps another.
    KNVTCDTaskList *selected = selectedTaskList();
    if (selected && std::find(projects.begin(), projects.end(), selected) == projects.end()
        && std::find(areas.begin(), areas.end(), selected) == areas.end())
        (selected->isProject() ? projects : areas).push_back(selected);

    using PopUpRow = knvt::PopUpRowsModel::Row;
    using Kind = knvt::PopUpRowsModel::Kind;
    std::vector<PopUpRow> rows{{.text = tr("No Project/Area")}};
    const QIcon icon = knvt::templateImageNamed(QStringLiteral("SL_TaskListTemplate"), TaskListIconSize);
    const auto addSection = [&](const QString &heading, const std::vector<KNVTCDTaskList *> &lists) {
        if (lists.empty())
            return;
        rows.push_back({.kind = Kind::Separator});
        rows.push_back({.kind = Kind::Header, .text = heading});
        for (KNVTCDTaskList *list : lists)
            rows.push_back({.text = list->title(), .value = list->uri(), .icon = icon, .enabled = list->canAddTasks()});
    };
    // A chosen list that was deleted keeps its entry, marked, at the end of its section: it cannot be chosen again.
    const bool gone = selectedTaskListIsGone();
    const auto addGoneEntry = [&](bool projectSection) {
        if (!gone || m_selectedTaskListIsProject != projectSection)
            return;
        if ((projectSection ? projects : areas).empty()) {
            rows.push_back({.kind = Kind::Separator});
            rows.push_back({.kind = Kind::Header, .text = projectSection ? tr("Projects") : tr("Areas")});
        }
        rows.push_back({.text = tr("%1 (deleted)").arg(m_selectedTaskListTitle),
                        .value = m_selectedTaskListURI,
                        .icon = icon,
                        .enabled = false});
    };
    addSection(tr("Projects"), projects);
    addGoneEntry(true);
    addSection(tr("Areas"), areas);
    addGoneEntry(false);

    // In place: the chosen row and an open pop-up stay as they are while the rows around them change.
    const QSignalBlocker blocker(m_taskListPopUpButton);
    m_taskListItems->setRows(std::move(rows));
    m_taskListPopUpButton->setEnabled(m_taskListItems->rowCount() > 0);
    const int selectedRow = selected || gone ? m_taskListItems->rowOf(m_selectedTaskListURI) : 0;
    if (m_taskListPopUpButton->currentIndex() != std::max(selectedRow, 0))
        m_taskListPopUpButton->setCurrentIndex(std::max(selectedRow, 0));
}

void KNVTTaskFormViewController::updateAssignee()
{
    if (!m_assigneePopUpButton)
        return;
    const KNVTCDUser *current = assignee();
    if (!current)
        current = startingAssignee();
    KNVTCDUser *me = knvt::taskStore().me();
    std::vector<KNVTCDUser *> users;
    if (const KNVTCDTaskList *list = selectedTaskList())
        users = list->activeTaskListCollaboratorUsers();
    else if (me)
        users.push_back(me);

    std::vector<knvt::PopUpRowsModel::Row> rows;
    for (const KNVTCDUser *user : users)
        rows.push_back({.text = user->extendedDisplayName(), .value = user->uri()});
    auto found = std::find(users.begin(), users.end(), current);
    if (found == users.end())
        found = std::find(users.begin(), users.end(), me);

    // In place, as the list's pop-up.
    const QSignalBlocker blocker(m_assigneePopUpButton);
    m_assigneeItems->setRows(std::move(rows));
    const int chosen = found != users.end() ? int(found - users.begin()) : -1;
    if (chosen >= 0 && m_assigneePopUpButton->currentIndex() != chosen)
        m_assigneePopUpButton->setCurrentIndex(chosen);
}

void KNVTTaskFormViewController::taskListChosen()
{
    const QVariant data = m_taskListPopUpButton->currentData();
    KNVTCDTaskList *chosen = data.typeId() == QMetaType::QUrl ? liveObject<KNVTCDTaskList>(data.toUrl()) : nullptr;
    setSelectedTaskList(chosen);
    updateAssignee();
    const bool shared = chosen && chosen->isCollaborative();
    if (shared != m_collaboratorsSectionExpanded)
        collaborators();
}

void KNVTTaskFormViewController::collaborators()
{
    if (!popover() && !m_window)
        return;
    const KNVTCDTaskList *list = selectedTaskList();
    const bool shared = list && list->isCollaborative();
    if (shared != m_collaboratorsSectionExpanded)
        expandCollaboratorsSection(shared, true);
}

void KNVTTaskFormViewController::expandCollaboratorsSection(bool expand, bool)
{
    QWidget *formView = view();
    const QSize size = formSize(expand);
    m_collaboratorsSectionExpanded = expand;
    m_collaboratorsView->setVisible(expand);
    formView->setFixedSize(size);
    layoutSections(size);
    if (knvt::Popover *shown = popover()) {
        shown->adjustSize();
    } else if (m_window) {
        // The window grows or shrinks by the section's height, its top edge staying where it is.
        const QPoint topLeft = m_window->pos();
        m_window->adjustSize();
        m_window->move(topLeft);
    }
}

void KNVTTaskFormViewController::updateAddButton()
{
    if (m_saveButton)
        m_saveButton->setEnabled(canSave());
}

bool KNVTTaskFormViewController::canSave() const
{
    return isAcceptableTitle(taskTitle())
        && knvt::DateField::allowsSave(m_startDateCheckBoxButton && m_startDateCheckBoxButton->isChecked(),
                                       m_startDateDatePicker)
        && knvt::DateField::allowsSave(m_dueDateCheckBoxButton && m_dueDateCheckBoxButton->isChecked(),
                                       m_dueDateDatePicker);
}

bool KNVTTaskFormViewController::isAcceptableTitle(const QString &title)
{
    return !knvt::trimmedString(title).isEmpty();
}

// ---- Tokens ----

QString KNVTTaskFormViewController::tokenField(KNVTTokenField *field, const QVariant &object)
{
    if (object.typeId() == QMetaType::QUrl) {
        if (field == m_watchersTokenField) {
            if (const KNVTCDUser *user = liveObject<KNVTCDUser>(object.toUrl()))
                return user->fullName();
        } else if (field == m_tagsTokenField) {
            const QUrl uri = object.toUrl();
            if (const KNVTCDTag *tag = liveObject<KNVTCDTag>(uri)) {
                // Asked on every paint and layout: the title is written only when it is new.
                QString title = tag->title();
                if (const auto known = m_tagTitles.constFind(uri); known == m_tagTitles.cend() || *known != title)
                    m_tagTitles.insert(uri, title);
                return title;
            }
            // A tag deleted meanwhile keeps the title it showed; its address is nothing a user can read.
            return m_tagTitles.value(uri);
        }
        return QString();
    }
    return object.toString();
}

QStringList KNVTTaskFormViewController::completionsForSubstring(KNVTTokenField *field, const QString &substring)
{
    QStringList completions;
    if (!field)
        return completions;
    const QList<QUrl> present = urlTokens(field->objectValue());
    if (field == m_watchersTokenField) {
        for (const KNVTCDUser *user : usersForSelectedTaskList()) {
            if ((beginsWithIgnoringCaseAndDiacritics(user->username(), substring)
                 || beginsWithIgnoringCaseAndDiacritics(user->fullName(), substring))
                && !present.contains(user->uri()))
                completions.append(user->extendedDisplayName());
        }
    } else if (field == m_tagsTokenField) {
        for (const KNVTCDTag *tag : knvt::taskStore().tags()) {
            if (beginsWithIgnoringCaseAndDiacritics(tag->title(), substring) && !present.contains(tag->uri()))
                completions.append(tag->title());
        }
    }
    return completions;
}

QVariantList KNVTTaskFormViewController::shouldAddObjects(KNVTTokenField *field, const QVariantList &objects, qsizetype)
{
    QVariantList added;
    if (!field)
        return added;
    const QList<QUrl> present = urlTokens(field->objectValue());
    const auto addReference = [&](const QUrl &uri) {
        if (!present.contains(uri) && !added.contains(QVariant(uri)))
            added.append(uri);
    };
    for (const QVariant &object : objects) {
        const QString text = object.toString();
        if (field == m_watchersTokenField) {
            for (const KNVTCDUser *user : usersForSelectedTaskList()) {
                if (user->extendedDisplayName() == text) {
                    addReference(user->uri());
                    break;
                }
            }
        } else if (field == m_tagsTokenField) {
            const std::vector<KNVTCDTag *> tags = knvt::taskStore().tags();
            const auto match =
                std::find_if(tags.begin(), tags.end(), [&](const KNVTCDTag *t) { return t->title() == text; });
            if (match != tags.end())
                addReference((*match)->uri());
            else
                added.append(text);
        }
    }
    return added;
}

bool KNVTTaskFormViewController::hasMenuForRepresentedObject(KNVTTokenField *field, const QVariant &object)
{
    return field == m_watchersTokenField && object.typeId() == QMetaType::QUrl
        && liveObject<KNVTCDUser>(object.toUrl()) != nullptr;
}

QMenu *KNVTTaskFormViewController::menuForRepresentedObject(KNVTTokenField *field, const QVariant &object)
{
    const KNVTCDUser *user = field == m_watchersTokenField && object.typeId() == QMetaType::QUrl
        ? liveObject<KNVTCDUser>(object.toUrl())
        : nullptr;
    if (!user)
        return nullptr;
    auto *menu = new QMenu;
    menu->addAction(knvt::menuItemText(user->fullName()));
    menu->addAction(knvt::menuItemText(user->username()));
    return menu;
}

bool KNVTTaskFormViewController::writeRepresentedObjects(KNVTTokenField *field, const QVariantList &objects,
                                                         QMimeData &mime)
{
    std::vector<const KNVTCDTaskStoreObject *> dragged;
    for (const QUrl &uri : urlTokens(objects)) {
        if (field == m_watchersTokenField) {
            if (const KNVTCDUser *user = liveObject<KNVTCDUser>(uri))
                dragged.push_back(user);
        } else if (field == m_tagsTokenField) {
            if (const KNVTCDTag *tag = liveObject<KNVTCDTag>(uri))
                dragged.push_back(tag);
        }
    }
    if (dragged.empty())
        return false;
    // Other programs get the names one per line; the references are for this program's own drop targets.
    knvt::ObjectReferencePayload::writeObjects(mime, dragged, knvt::shownName);
    return true;
}

QStringList KNVTTaskFormViewController::readFromPasteboard(KNVTTokenField *field, const QMimeData &mime)
{
    QStringList strings;
    const std::optional<QList<QUrl>> uris = knvt::ObjectReferencePayload::read(mime);
    if (!uris)
        return strings;
    for (KNVTCDTaskStoreObject *object : knvt::taskStore().objectsForURIs(*uris)) {
        if (field == m_watchersTokenField) {
            if (const auto *user = dynamic_cast<KNVTCDUser *>(object); user && !knvt::isGone(user))
                strings.append(user->extendedDisplayName());
        } else if (field == m_tagsTokenField) {
            if (const auto *tag = dynamic_cast<KNVTCDTag *>(object); tag && !knvt::isGone(tag))
                strings.append(tag->title());
        }
    }
    return strings;
}

// ---- Closing ----

void KNVTTaskFormViewController::cancel(QObject *sender)
{
    closeHost(sender);
}

void KNVTTaskFormViewController::closeHost(QObject *)
{
    if (knvt::Popover *shown = popover()) {
        shown->performClose();
    } else if (m_window) {
        if (auto *sheet = qobject_cast<knvt::Sheet *>(m_window.data()))
            sheet->dismiss();
        else
            m_window->close();
    }
}
