// The driver's steps for the editors: the task detail, task windows, task forms, comments and the sheets of tasks,
// lists and tags.
#include "AppDriver.h"

#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "editors/DateField.h"
#include "editors/KNVTTaskTableView.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskViewModel.h"
#include "editors/KNVTTaskWindowController.h"
#include "editors/TaskListInfoSheet.h"
#include "editors/TaskRowDelegate.h"

#include "hotkeys/KNVTShortcutRecorderControl.h"

#include "store/KNVTTaskStore.h"

#include "objectstore/Context.h"

#include "model/KNVTCDTag.h"

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "uikit/ChangeHolder.h"
#include "uikit/ColorAdditions.h"
#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/KNVTTokenField.h"
#include "uikit/Popover.h"

#include "support/AccessibleRows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace knvt::features {

namespace {

using Kind = KNVTTaskViewModel::Kind;

QString colourName(const QColor &color)
{
    if (color == QColor(Qt::red))
        return QStringLiteral("red");
    if (color == QColor::fromRgbF(0.91f, 0.74f, 0.19f, 1.0f))
        return QStringLiteral("yellow");
    return QString();
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Title: return QStringLiteral("title");
    case Kind::TaskList: return QStringLiteral("list");
    case Kind::Header: return QStringLiteral("header");
    case Kind::StartDate: return QStringLiteral("start");
    case Kind::DueDate: return QStringLiteral("due");
    case Kind::Recurrence: return QStringLiteral("repeat");
    case Kind::Notes: return QStringLiteral("notes");
    case Kind::People: return QStringLiteral("people");
    case Kind::Comment: return QStringLiteral("comment");
    case Kind::MyComment: return QStringLiteral("my comment");
    }
    return QString();
}

QString line(const KNVTTaskViewModel::Row &row)
{
    QString text = kindName(row.kind) + QLatin1Char(' ');
    switch (row.kind) {
    case Kind::Title: {
        const char *box = row.checkBoxState == 1 ? "[x] " : row.checkBoxState == 2 ? "[-] " : "[ ] ";
        text += QString::fromLatin1(box) + row.text;
        QStringList notes;
        if (!colourName(row.tintColor).isEmpty())
            notes << QStringLiteral("tint ") + colourName(row.tintColor);
        if (!row.checkBoxEnabled)
            notes << QStringLiteral("disabled");
        if (!notes.isEmpty())
            text += QStringLiteral(" (%1)").arg(notes.join(QStringLiteral(", ")));
        return text;
    }
    case Kind::People: {
        QStringList people;
        for (const KNVTTaskViewModel::Person &person : row.people)
            people << person.fullName + (person.isMe ? QStringLiteral(" (me)") : QString());
        return text + people.join(QStringLiteral(", "));
    }
    case Kind::Comment:
    case Kind::MyComment:
        text += (row.people.empty() ? QString() : row.people.front().fullName) + QStringLiteral(": ") + row.text;
        if (row.kind == Kind::MyComment)
            text += QStringLiteral(" [Edit, Delete]");
        return text;
    default:
        text += row.text;
        if (!colourName(row.textColor).isEmpty())
            text += QStringLiteral(" (%1)").arg(colourName(row.textColor));
        return text;
    }
}

KNVTTaskWindowController *taskWindowTitled(const QString &title)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *window = qobject_cast<KNVTTaskWindowController *>(widget);
        if (window && window->isVisible() && window->windowTitle() == title)
            return window;
    }
    return nullptr;
}

} // namespace

void AppDriver::wait(double seconds)
{
    m_clock.setNow(m_clock.now().addMSecs(qint64(seconds * 1000)));
    m_saves.advance(seconds);
    settle();
}

// ---- The detail ----

namespace {

KNVTTaskViewController *detailIn(QWidget *root)
{
    auto *table = root ? root->findChild<KNVTTaskTableView *>() : nullptr;
    return table ? table->taskViewController() : nullptr;
}

} // namespace

static KNVTTaskViewController *detailController(AppDriver &driver, const QString &inTaskWindow)
{
    if (!inTaskWindow.isEmpty()) {
        KNVTTaskWindowController *window = taskWindowTitled(inTaskWindow);
        return window ? window->taskViewController() : nullptr;
    }
    const TaskDetail *detail = driver.mainWindow().taskViewController();
    return detail ? detailIn(const_cast<TaskDetail *>(detail)->view()) : nullptr;
}

QStringList AppDriver::detailRows(const QString &inTaskWindow)
{
    QStringList lines;
    KNVTTaskViewController *controller = detailController(*this, inTaskWindow);
    if (!controller || !controller->model())
        return lines;
    for (const KNVTTaskViewModel::Row &row : controller->model()->rows())
        lines << line(row);
    return lines;
}

void AppDriver::clickDetailCheckBox(const QString &inTaskWindow)
{
    KNVTTaskViewController *controller = detailController(*this, inTaskWindow);
    ASSERT_TRUE(controller && controller->model() && controller->model()->rowCount() > 0) << "no detail";
    const QModelIndex title = controller->model()->index(0);
    const QRect rect = controller->tableView()->visualRect(title);
    const QRect box = controller->rowDelegate()->layoutForIndex(title).completedCheckBoxButton;
    QTest::mouseClick(controller->tableView()->viewport(), Qt::LeftButton, {}, rect.topLeft() + box.center());
    settle();
}

namespace {

// Where my comment's button paints in the detail's viewport, scrolled into view; nullopt when no such comment shows.
std::optional<QPoint> commentButtonPoint(KNVTTaskViewController *controller, const QString &comment,
                                         const QString &button)
{
    for (int i = 0; i < controller->model()->rowCount(); ++i) {
        const KNVTTaskViewModel::Row &row = controller->model()->row(i);
        if (row.kind != Kind::MyComment || row.text != comment)
            continue;
        const QModelIndex index = controller->model()->index(i);
        AppDriver::wheelIntoView(controller->tableView(), index);
        const QRect rect = controller->tableView()->visualRect(index);
        const KNVTTaskRowLayout layout = controller->rowDelegate()->layoutForIndex(index);
        const QRect hit = button == QStringLiteral("Edit") ? layout.editButton : layout.deleteButton;
        return rect.topLeft() + hit.center();
    }
    return std::nullopt;
}

} // namespace

void AppDriver::clickDetailCommentButton(const QString &comment, const QString &button)
{
    KNVTTaskViewController *controller = detailController(*this, QString());
    ASSERT_TRUE(controller && controller->model()) << "no detail";
    const std::optional<QPoint> point = commentButtonPoint(controller, comment, button);
    ASSERT_TRUE(point) << "no comment of mine " << comment.toStdString();
    QTest::mouseClick(controller->tableView()->viewport(), Qt::LeftButton, {}, *point);
    settle();
}

void AppDriver::doubleClickDetailCommentButton(const QString &comment, const QString &button)
{
    KNVTTaskViewController *controller = detailController(*this, QString());
    ASSERT_TRUE(controller && controller->model()) << "no detail";
    const std::optional<QPoint> point = commentButtonPoint(controller, comment, button);
    ASSERT_TRUE(point) << "no comment of mine " << comment.toStdString();
    QWidget *viewport = controller->tableView()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, *point);
    // What the first click started runs before the second arrives, as between the clicks of a person.
    settle();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, *point);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, *point);
    settle();
}

QAbstractItemModel *AppDriver::detailModel()
{
    KNVTTaskViewController *controller = detailController(*this, QString());
    return controller ? controller->model() : nullptr;
}

void AppDriver::resizeMainWindow(int width, int height)
{
    mainWindow().resize(width, height);
    settle();
}

int AppDriver::detailScrollPosition()
{
    KNVTTaskViewController *controller = detailController(*this, QString());
    return controller ? controller->tableView()->verticalScrollBar()->value() : -1;
}

void AppDriver::scrollDetailTo(int position)
{
    if (KNVTTaskViewController *controller = detailController(*this, QString()))
        wheelTo(controller->tableView(), position);
    settle();
}

int AppDriver::detailRowHeight(const QString &kind)
{
    KNVTTaskViewController *controller = detailController(*this, QString());
    if (!controller)
        return -1;
    for (int i = 0; i < controller->model()->rowCount(); ++i) {
        if (kindName(controller->model()->row(i).kind) == kind)
            return controller->tableView()->visualRect(controller->model()->index(i)).height();
    }
    return -1;
}

// ---- Task windows ----

void AppDriver::doubleClickRow(const QString &title)
{
    const int row = rowOfTitle(title);
    ASSERT_GE(row, 0) << "no row " << title.toStdString();
    QAbstractItemView *view = centreView();
    const QRect rect = view->visualRect(centreItems()->indexForRow(row));
    // Clear of the check box at the left.
    const QPoint point(rect.left() + rect.width() / 2, rect.center().y());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);
    settle();
}

// ---- Lists that keep their place (list models) ----

void AppDriver::clickRow(const QString &title, Qt::KeyboardModifiers modifiers)
{
    const int row = rowOfTitle(title);
    ASSERT_GE(row, 0) << "no row " << title.toStdString();
    QAbstractItemView *view = centreView();
    const QModelIndex index = centreItems()->indexForRow(row);
    wheelIntoView(view, index);
    const QRect rect = view->visualRect(index);
    // Clear of the check box at the left.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                      QPoint(rect.left() + rect.width() / 2, rect.center().y()));
    settle();
}

QStringList AppDriver::selectedRowTitles()
{
    QStringList titles;
    if (KNVTTaskStoreItemsViewController *list = centreItems())
        for (int row : list->selectedRows())
            titles << list->rowAt(row)->title;
    return titles;
}

int AppDriver::centreScrollPosition()
{
    QAbstractItemView *view = centreView();
    return view ? view->verticalScrollBar()->value() : -1;
}

void AppDriver::scrollCentreTo(int position)
{
    if (QAbstractItemView *view = centreView())
        wheelTo(view, position);
    settle();
}

QString AppDriver::listHeading()
{
    QLabel *heading = mainWindow().listHeadingTextField();
    return heading && heading->isVisible() ? heading->text() : QString();
}

void AppDriver::pressInTaskWindow(const QString &task, const QString &button)
{
    KNVTTaskWindowController *window = taskWindowTitled(task);
    ASSERT_NE(window, nullptr) << "no window of " << task.toStdString();
    auto *control = window->findChild<QAbstractButton *>(button.toLower() + QStringLiteral("Button"));
    ASSERT_NE(control, nullptr) << "no button " << button.toStdString();
    // A click in the window gives it the keyboard, the window system knowing of it, before the button acts.
    giveKeyboardTo(window);
    QTest::mouseClick(control, Qt::LeftButton);
    settle();
}

void AppDriver::editFromMainWindowWhileTaskWindowIsOpen(const QString &task)
{
    ASSERT_NE(taskWindowTitled(task), nullptr) << "no window of " << task.toStdString();
    selectRows({task});
    press(QStringLiteral("Return"));
    settle();
}

void AppDriver::pressKeysInTaskWindow(const QString &task, const QString &keys)
{
    KNVTTaskWindowController *window = taskWindowTitled(task);
    ASSERT_NE(window, nullptr) << "no window of " << task.toStdString();
    giveKeyboardTo(window);
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keySequence(target, QKeySequence(keys));
    settle();
}

// ---- The front editor ----

namespace {

template <class T>
T *named(QWidget *root, const QString &name)
{
    T *found = root ? root->findChild<T *>(name) : nullptr;
    EXPECT_NE(found, nullptr) << "no " << name.toStdString() << " in "
                              << (root ? root->objectName().toStdString() : "");
    return found;
}

} // namespace

void AppDriver::typeIn(const QString &field, const QString &text)
{
    QWidget *widget = named<QWidget>(frontEditor(), field);
    if (!widget)
        return;
    if (auto *tokens = qobject_cast<KNVTTokenField *>(widget))
        widget = tokens->editor();
    // A click into the field gives it the keyboard, and End puts the typing after what the field holds.
    if (!widget->hasFocus())
        clickWhereItShows(widget, QPoint(widget->width() - 4, widget->height() / 2));
    if (qobject_cast<QPlainTextEdit *>(widget))
        QTest::keyClick(widget, Qt::Key_End, Qt::ControlModifier);
    else
        QTest::keyClick(widget, Qt::Key_End);
    for (const QChar character : text) {
        // Letters beyond ASCII have no key of their own here; they arrive as the text of a key press. A line break
        // is the Return key.
        if (character == QLatin1Char('\n'))
            QTest::keyClick(widget, Qt::Key_Return);
        else if (character.unicode() < 128)
            QTest::keyClick(widget, char(character.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
    }
    settle();
}

void AppDriver::typeOver(const QString &field, const QString &text)
{
    auto *line = named<QLineEdit>(frontEditor(), field);
    if (!line)
        return;
    QTest::mouseClick(line, Qt::LeftButton, {}, line->rect().center());
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_Backspace);
    typeIn(field, text);
}

void AppDriver::choosePopUp(const QString &popUp, const QString &item)
{
    auto *combo = named<QComboBox>(frontEditor(), popUp);
    if (!combo)
        return;
    const int index = combo->findText(item);
    ASSERT_GE(index, 0) << "no item " << item.toStdString();
    // As from the keyboard: the pop-up takes the focus, F4 opens its list, the arrows walk to the item and Return
    // chooses it. An item that cannot be chosen leaves the list with Escape.
    tabInto(combo);
    QTest::keyClick(combo, Qt::Key_F4);
    QAbstractItemView *list = combo->view();
    ASSERT_TRUE(list && list->isVisible()) << "the list of " << popUp.toStdString() << " did not open";
    QWidget *keys = QApplication::focusWidget() ? QApplication::focusWidget() : list;
    for (int steps = 0; list->currentIndex().row() != index && steps < combo->count(); ++steps) {
        const int before = list->currentIndex().row();
        QTest::keyClick(keys, list->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
        if (list->currentIndex().row() == before)
            break;
    }
    QTest::keyClick(keys, list->currentIndex().row() == index ? Qt::Key_Return : Qt::Key_Escape);
    if (list->isVisible())
        QTest::keyClick(keys, Qt::Key_Escape);
    settle();
}

void AppDriver::tick(const QString &checkBox, bool on)
{
    auto *box = named<QAbstractButton>(frontEditor(), checkBox);
    if (box && box->isChecked() != on)
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    settle();
}

void AppDriver::setPriority(int level)
{
    auto *indicator = named<KNVTLevelIndicator>(frontEditor(), QStringLiteral("priorityLevelIndicator"));
    if (!indicator)
        return;
    if (level <= 0) {
        QTest::keyClick(indicator, Qt::Key_Home);
    } else {
        const QRectF segment = KNVTLevelIndicator::segmentRect(indicator->size(), indicator->maximumValue(), level - 1);
        if (indicator->value() != level)
            QTest::mouseClick(indicator, Qt::LeftButton, {}, segment.center().toPoint());
    }
    settle();
}

void AppDriver::addToken(const QString &field, const QString &text)
{
    auto *tokens = named<KNVTTokenField>(frontEditor(), field);
    if (!tokens)
        return;
    if (!tokens->editor()->hasFocus())
        clickWhereItShows(tokens->editor(), QPoint(tokens->editor()->width() - 4, tokens->editor()->height() / 2));
    QTest::keyClicks(tokens->editor(), text);
    QTest::keyClick(tokens->editor(), Qt::Key_Return);
    settle();
}

void AppDriver::removeLastToken(const QString &field)
{
    auto *tokens = named<KNVTTokenField>(frontEditor(), field);
    if (!tokens)
        return;
    if (!tokens->editor()->hasFocus())
        clickWhereItShows(tokens->editor(), QPoint(tokens->editor()->width() - 4, tokens->editor()->height() / 2));
    QTest::keyClick(tokens->editor(), Qt::Key_Backspace);
    settle();
}

QStringList AppDriver::tokensAsRead(const QString &field)
{
    QStringList names;
    auto *tokens = named<KNVTTokenField>(frontEditor(), field);
    QAccessibleInterface *read = tokens ? QAccessible::queryAccessibleInterface(tokens) : nullptr;
    if (!read)
        return names;
    for (int i = 0; i < read->childCount(); ++i)
        if (QAccessibleInterface *child = read->child(i); child && child->role() == QAccessible::StaticText)
            names << child->text(QAccessible::Name);
    return names;
}

void AppDriver::pressReturn(const QString &field)
{
    if (QWidget *widget = named<QWidget>(frontEditor(), field))
        QTest::keyClick(widget, Qt::Key_Return);
    settle();
}

void AppDriver::pressCtrlReturn(const QString &field)
{
    if (QWidget *widget = named<QWidget>(frontEditor(), field))
        QTest::keyClick(widget, Qt::Key_Return, Qt::ControlModifier);
    settle();
}

void AppDriver::clickButton(const QString &name)
{
    if (auto *button = named<QAbstractButton>(frontEditor(), name))
        QTest::mouseClick(button, Qt::LeftButton);
    settle();
}

void AppDriver::pickDay(const QDate &day)
{
    auto *calendar = named<KNVTDatePicker>(frontEditor(), QStringLiteral("datePicker"));
    if (!calendar)
        return;
    tabInto(calendar);
    qint64 steps = calendar->dateValue().date().daysTo(day);
    for (; steps > 0; --steps)
        QTest::keyClick(calendar, Qt::Key_Right);
    for (; steps < 0; ++steps)
        QTest::keyClick(calendar, Qt::Key_Left);
    settle();
}

void AppDriver::clickDay(const QDate &day)
{
    auto *calendar = named<KNVTDatePicker>(frontEditor(), QStringLiteral("datePicker"));
    ASSERT_NE(calendar, nullptr) << "no calendar open";
    ASSERT_EQ(calendar->monthShown(), day.month());
    auto *grid = calendar->findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(grid, nullptr);
    // The days of the month shown, the weekday row and the neighbouring months' days aside.
    for (int row = 1; row < grid->model()->rowCount(); ++row) {
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            const QModelIndex index = grid->model()->index(row, column);
            const bool otherMonth = (row == 1 && index.data().toInt() > 7) || (row >= 5 && index.data().toInt() < 15);
            if (otherMonth || index.data().toInt() != day.day())
                continue;
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
            settle();
            return;
        }
    }
    ADD_FAILURE() << "no day " << day.toString(Qt::ISODate).toStdString();
}

void AppDriver::detachPopover()
{
    auto *popover = qobject_cast<knvt::Popover *>(frontEditor());
    ASSERT_NE(popover, nullptr) << "no popover open";
    // The popover's background, inside its margin where no control lies, dragged further than the tear-off distance.
    const QPoint from(2, popover->height() / 2);
    const QPoint to = from + QPoint(knvt::Popover::DetachDistance + 8, 0);
    QTest::mousePress(popover, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(popover->mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(popover, &move);
    QTest::mouseRelease(popover, Qt::LeftButton, {}, to);
    settle();
}

void AppDriver::closePopover()
{
    if (auto *popover = qobject_cast<knvt::Popover *>(frontEditor())) {
        // Escape reaches the popover from whichever of its controls has the keyboard.
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClick(focused && popover->isAncestorOf(focused) ? focused : popover, Qt::Key_Escape);
    }
    settle();
}

void AppDriver::editHomeEntry(const QString &name)
{
    selectHome(name);
    press(QStringLiteral("Return"));
    settle();
}

void AppDriver::viewHomeEntry(const QString &name)
{
    selectHome(name);
    press(QStringLiteral("Ctrl+I"));
    settle();
}

void AppDriver::openNewTagSheet()
{
    chooseMenu(QStringLiteral("File"), QStringLiteral("New Tag"));
}

void AppDriver::openRenameTagSheet(const QString &tag)
{
    editHomeEntry(tag);
}

void AppDriver::givenChangedBySync(KNVTCDTaskStoreObject *object,
                                   const std::function<void(KNVTCDTaskStoreObject &)> &change)
{
    ASSERT_NE(object, nullptr);
    ostore::Context other(store().persistentStoreCoordinator());
    auto *copy = dynamic_cast<KNVTCDTaskStoreObject *>(other.existingObject(object->objectID()));
    ASSERT_NE(copy, nullptr) << "the object is not in the library";
    change(*copy);
    // The service's values are no local changes: as after a fill, nothing is waiting to be pushed.
    copy->clearChangedKeys();
    ostore::Context *mainContext = store().managedObjectContext();
    QObject::connect(&other, &ostore::Context::didSave, mainContext, [mainContext](const ostore::ChangeSet &changes) {
        mainContext->mergeChanges(changes, ostore::ChangeOrigin::Merge);
    });
    ASSERT_TRUE(other.save());
    settle();
}

void AppDriver::typeWhereTheFocusIs(const QString &text)
{
    // What the previous step opened takes the focus on a later pass of the event loop.
    QWidget *focused = focusedWidget();
    ASSERT_NE(focused, nullptr) << "no widget has the keyboard focus";
    QTest::keyClicks(focused, text);
    settle();
}

void AppDriver::typeKeyByKey(const QStringList &keys)
{
    for (const QString &key : keys) {
        QWidget *popup = QApplication::activePopupWidget();
        QWidget *to = QWidget::keyboardGrabber();
        if (to == nullptr && popup != nullptr)
            to = popup->focusWidget() != nullptr ? popup->focusWidget() : popup;
        if (to == nullptr)
            to = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : QApplication::activeWindow();
        if (to != nullptr)
            QTest::keySequence(to, QKeySequence(key));
    }
    settle();
}

QStringList AppDriver::keysOf(const QString &text)
{
    QStringList keys;
    for (const QChar character : text)
        keys << (character == QLatin1Char(' ') ? QStringLiteral("Space") : QString(character.toUpper()));
    return keys;
}

std::shared_ptr<QMimeData> AppDriver::dragInfoRows(const QList<int> &rows)
{
    auto *sheet = qobject_cast<knvt::TaskListInfoSheet *>(frontEditor());
    EXPECT_NE(sheet, nullptr) << "no information window open";
    return std::shared_ptr<QMimeData>(sheet ? sheet->mimeDataForRows(rows) : nullptr);
}

QStringList AppDriver::openEditors()
{
    QStringList lines;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || widget == app().mainWindowController())
            continue;
        QWidget *shown = widget;
        if (auto *popover = qobject_cast<knvt::Popover *>(widget)) {
            if (!popover->isShown() || !popover->contentWidget())
                continue;
            shown = popover->contentWidget();
        }
        lines << QStringLiteral("%1 '%2' %3x%4")
                     .arg(shown->objectName(), shown->windowTitle(), QString::number(shown->width()),
                          QString::number(shown->height()));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

QString AppDriver::fieldText(const QString &field)
{
    QWidget *widget = named<QWidget>(frontEditor(), field);
    if (auto *date = qobject_cast<knvt::DateField *>(widget))
        return date->dateValue().toString(Qt::ISODate);
    if (auto *line = qobject_cast<QLineEdit *>(widget))
        return line->text();
    if (auto *text = qobject_cast<QPlainTextEdit *>(widget))
        return text->toPlainText();
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->currentText();
    if (auto *tokens = qobject_cast<KNVTTokenField *>(widget))
        return tokens->tokenStrings().join(QStringLiteral(", "));
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *recorder = qobject_cast<KNVTShortcutRecorderControl *>(widget))
        return recorder->faceText();
    if (auto *box = qobject_cast<QAbstractButton *>(widget); box && box->isCheckable())
        return box->isChecked() ? QStringLiteral("ticked") : QStringLiteral("not ticked");
    if (const auto *holder = dynamic_cast<const knvt::ChangeHolder *>(widget))
        return holder->holding();
    return QString();
}

QString AppDriver::shownText(const QString &field)
{
    settle();
    auto *line = named<QLineEdit>(frontEditor(), field);
    return line ? line->text() : QString();
}

QString AppDriver::descriptionAsRead(const QString &control)
{
    settle();
    QWidget *widget = named<QWidget>(frontEditor(), control);
    QAccessibleInterface *read = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    return read ? read->text(QAccessible::Description) : QString();
}

QStringList AppDriver::popUpItems(const QString &popUp)
{
    QStringList items;
    if (auto *combo = named<QComboBox>(frontEditor(), popUp)) {
        for (int i = 0; i < combo->count(); ++i) {
            const bool enabled = combo->model()->flags(combo->model()->index(i, 0)) & Qt::ItemIsEnabled;
            items << combo->itemText(i)
                    + (enabled || combo->itemText(i).isEmpty() ? QString() : QStringLiteral(" (off)"));
        }
    }
    return items;
}

bool AppDriver::isEnabled(const QString &control)
{
    QWidget *widget = named<QWidget>(frontEditor(), control);
    return widget && widget->isEnabled();
}

bool AppDriver::isChecked(const QString &checkBox)
{
    auto *box = named<QAbstractButton>(frontEditor(), checkBox);
    return box && box->isChecked();
}

bool AppDriver::hasFocus(const QString &control)
{
    QWidget *widget = named<QWidget>(frontEditor(), control);
    return widget && widget->hasFocus();
}

// ---- By keyboard and screen reader ----

void AppDriver::pressWhereTheFocusIs(const QString &keys)
{
    QWidget *focused = focusedWidget();
    ASSERT_NE(focused, nullptr) << "no widget has the keyboard focus";
    QTest::keySequence(focused, QKeySequence(keys));
    settle();
}

bool AppDriver::tabTo(const QString &control)
{
    for (int i = 0; i < 30; ++i) {
        if (focusAsRead().endsWith(control))
            return true;
        pressWhereTheFocusIs(QStringLiteral("Tab"));
    }
    return false;
}

bool AppDriver::paneTo(const QString &pane)
{
    for (int i = 0; i < 5; ++i) {
        if (focusedPane() == pane)
            return true;
        pressWhereTheFocusIs(QStringLiteral("F6"));
    }
    return false;
}

QString AppDriver::focusedControl()
{
    QWidget *focused = focusedWidget();
    for (QWidget *widget = focused; widget; widget = widget->parentWidget()) {
        if (qobject_cast<KNVTTokenField *>(widget) || qobject_cast<KNVTDatePicker *>(widget))
            return widget->objectName();
    }
    return focused ? focused->objectName() : QString();
}

namespace {

QString roleWord(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Dialog: return QStringLiteral("dialog");
    case QAccessible::List: return QStringLiteral("list");
    case QAccessible::ListItem: return QStringLiteral("row");
    case QAccessible::CheckBox: return QStringLiteral("check box");
    case QAccessible::PushButton: return QStringLiteral("button");
    case QAccessible::ComboBox: return QStringLiteral("pop-up");
    case QAccessible::EditableText: return QStringLiteral("text");
    case QAccessible::Slider: return QStringLiteral("slider");
    case QAccessible::Table: return QStringLiteral("table");
    default: return QStringLiteral("element");
    }
}

// A pop-up goes by the label it is labelled by; everything else by its name.
QString readName(QAccessibleInterface *read)
{
    if (read->role() == QAccessible::ComboBox) {
        const auto labels = read->relations(QAccessible::Label);
        if (!labels.isEmpty())
            return labels.first().first->text(QAccessible::Name);
    }
    return read->text(QAccessible::Name);
}

} // namespace

QString AppDriver::focusAsRead()
{
    QWidget *focused = focusedWidget();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(frontEditor());
    QAccessibleInterface *control = focused ? QAccessible::queryAccessibleInterface(focused) : nullptr;
    if (!window || !control)
        return QString();
    return QStringLiteral("%1 %2: %3 %4%5")
        .arg(roleWord(window->role()), readName(window), roleWord(control->role()), readName(control),
             knvt::test::checkWords(control->state()));
}

QStringList AppDriver::detailAsRead()
{
    QStringList lines;
    KNVTTaskViewController *controller = detailController(*this, QString());
    QAccessibleInterface *list = controller && controller->tableView()
        ? QAccessible::queryAccessibleInterface(controller->tableView())
        : nullptr;
    if (!list)
        return lines;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *row = list->child(i);
        QString text = row->text(QAccessible::Name) + knvt::test::checkWords(row->state());
        if (QAccessibleActionInterface *actions = row->actionInterface(); actions && !actions->actionNames().isEmpty())
            text += QStringLiteral(" [%1]").arg(actions->actionNames().join(QStringLiteral(", ")));
        lines << text;
    }
    return lines;
}

void AppDriver::doActionAsAReaderDoes(const QString &control, const QString &action)
{
    QWidget *widget = named<QWidget>(frontEditor(), control);
    QAccessibleInterface *read = widget != nullptr ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    QAccessibleActionInterface *actions = read != nullptr ? read->actionInterface() : nullptr;
    ASSERT_NE(actions, nullptr) << control.toStdString() << " has no actions";
    ASSERT_TRUE(actions->actionNames().contains(action)) << control.toStdString() << " has no " << action.toStdString();
    actions->doAction(action);
    settle();
}

void AppDriver::insertTextAsAReaderDoes(const QString &field, const QString &text)
{
    QWidget *widget = named<QWidget>(frontEditor(), field);
    QAccessibleInterface *read = widget != nullptr ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    QAccessibleEditableTextInterface *editable = read != nullptr ? read->editableTextInterface() : nullptr;
    ASSERT_NE(editable, nullptr) << field.toStdString() << " takes no text from a reader";
    editable->insertText(read->textInterface()->characterCount(), text);
    settle();
}

void AppDriver::doDetailRowAction(const QString &rowName, const QString &action)
{
    KNVTTaskViewController *controller = detailController(*this, QString());
    knvt::test::doRowAction(controller && controller->tableView()
                                ? QAccessible::queryAccessibleInterface(controller->tableView())
                                : nullptr,
                            rowName, action);
    settle();
}

} // namespace knvt::features
