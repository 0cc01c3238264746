// Titles, names and comments from the user or the service read as they were written, markup and all, in every
// window that shows them.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "uikit/MessageBoxAlertPresenter.h"

#include "support/TaskStoreBuilder.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTextDocument>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using knvt::features::AppDriver;

namespace {

// As a peer or the service may send them.
const QString kTask =
    QStringLiteral("<b>Mend</b> the [*] <img src=\"file:///tmp/x.png\"> <a href=\"https://example.com/\">fence</a>");
const QString kTheirs = QStringLiteral("<i>Yard</i> <a href=\"https://example.com/\">work</a>");
const QString kMine = QStringLiteral("<b>Garden</b> [*] <img src=x>");
const QString kComment = QStringLiteral("<b>Soon</b>, see <a href=\"https://example.com/\">here</a>");
const QString kTag = QStringLiteral("<b>errand</b>");
const QString kFirstName = QStringLiteral("<b>Ann</b>");
const QString kLastName = QStringLiteral("<img src=\"file:///tmp/ann.png\">");
const QString kUsername = QStringLiteral("<a href=\"https://example.com/\">ann</a>");
const QString kAnn = QStringLiteral("%1 %2 (%3)").arg(kFirstName, kLastName, kUsername);

// What a label shows: its text, or what its text makes as markup when the label takes it for rich text.
bool rendersMarkup(const QLabel &label)
{
    return label.textFormat() == Qt::RichText
        || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
}

QString displayedText(const QLabel &label)
{
    if (!rendersMarkup(label))
        return label.text();
    QTextDocument document;
    document.setHtml(label.text());
    return document.toPlainText();
}

template <class T>
QList<T *> widgetsIn(QWidget *root)
{
    QList<T *> found = root->findChildren<T *>();
    if (auto *self = qobject_cast<T *>(root))
        found.prepend(self);
    return found;
}

void addModelTexts(const QAbstractItemModel *model, const QModelIndex &parent, QStringList &texts)
{
    for (int row = 0; row < model->rowCount(parent); ++row)
        for (int column = 0; column < model->columnCount(parent); ++column) {
            const QModelIndex index = model->index(row, column, parent);
            texts << index.data(Qt::DisplayRole).toString();
            addModelTexts(model, index, texts);
        }
}

// The title a window's frame shows.
QString shownTitle(const QWidget *window)
{
    return window->windowHandle() ? window->windowHandle()->title() : window->windowTitle();
}

// Everything a window shows in words: its title, labels as they are drawn, fields, pop-ups, buttons and rows.
QStringList textsShown(QWidget *root)
{
    QStringList texts{shownTitle(root)};
    for (const QLabel *label : widgetsIn<QLabel>(root))
        texts << displayedText(*label);
    for (const QLineEdit *field : widgetsIn<QLineEdit>(root))
        texts << field->text();
    for (const QComboBox *popUp : widgetsIn<QComboBox>(root))
        for (int i = 0; i < popUp->count(); ++i)
            texts << popUp->itemText(i);
    for (const QAbstractButton *button : widgetsIn<QAbstractButton>(root))
        texts << button->text();
    for (const QAbstractItemView *view : widgetsIn<QAbstractItemView>(root))
        if (view->model())
            addModelTexts(view->model(), view->rootIndex(), texts);
    return texts;
}

// Labels that would draw markup they were given as text.
QStringList labelsDrawingMarkup(QWidget *root)
{
    QStringList found;
    for (const QLabel *label : widgetsIn<QLabel>(root))
        for (const char *tag : {"<b>", "<i>", "<img", "<a "})
            if (rendersMarkup(*label) && label->text().contains(QLatin1String(tag))) {
                found << label->objectName() + QStringLiteral(": ") + label->text();
                break;
            }
    return found;
}

class MarkupShownAsWrittenFeature : public ::testing::Test
{
protected:
    // The front window: the innermost popover or sheet, else the active window.
    QWidget *front() { return app.frontEditor(); }

    QWidget *taskWindowTitled(const QString &title)
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && shownTitle(window) == title)
                return window;
        return nullptr;
    }

    void chooseInHomeMenu(const QString &name, const QString &entry)
    {
        app.openHomeContextMenu(name);
        app.choose({entry});
    }

    // The tool tip the centre list shows when the mouse rests on the row of that title.
    QWidget *toolTipOfRow(const QString &title)
    {
        KNVTTaskStoreItemsViewController *list = app.centreItems();
        QAbstractItemView *view = app.centreView();
        for (int row = 0; row < list->numberOfRows(); ++row) {
            if (list->rowAt(row)->title != title)
                continue;
            const QPoint point = view->visualRect(list->indexForRow(row)).center();
            QHelpEvent event(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
            QApplication::sendEvent(view->viewport(), &event);
            app.settle();
            for (QWidget *window : QApplication::topLevelWidgets())
                if (window->objectName() == QLatin1String("qtooltip_label") && window->isVisible())
                    return window;
        }
        return nullptr;
    }

    // The box the alert asked last is shown in.
    QWidget *boxOfLastAlert()
    {
        if (app.alerts().requests().isEmpty())
            return nullptr;
        QList<QAbstractButton *> buttons;
        m_box.reset(knvt::MessageBoxAlertPresenter::createMessageBox(app.alerts().requests().last(), &buttons));
        return m_box.get();
    }

    AppDriver app;
    std::unique_ptr<QMessageBox> m_box;
};

} // namespace

TEST_F(MarkupShownAsWrittenFeature, SyncedTitlesNamesAndCommentsFullOfMarkupReadLiterallyInEveryWindow)
{
    app.givenProject(QStringLiteral("Yard"), {.owner = QStringLiteral("Ann"), .synced = true});
    app.givenProject(QStringLiteral("Garden"), {.members = {QStringLiteral("Ann")}, .synced = true});
    KNVTCDTask *task = app.givenTask(QStringLiteral("Mend"),
                                     {.list = QStringLiteral("Yard"),
                                      .assignee = QStringLiteral("Ann"),
                                      .synced = true,
                                      .tags = {QStringLiteral("errand")}});
    KNVTCDUser *ann = app.givenUser(QStringLiteral("Ann"));
    // What the service sent for them.
    task->setTitle(kTask);
    task->setCreator(ann);
    task->taskList()->setTitle(kTheirs);
    for (KNVTCDTaskList *list : app.store().projects())
        if (list->title() == QStringLiteral("Garden"))
            list->setTitle(kMine);
    for (KNVTCDTag *tag : app.store().tags())
        tag->setTitle(kTag);
    ann->setFirstName(kFirstName);
    ann->setLastName(kLastName);
    ann->setUsername(kUsername);
    knvt::test::TaskStoreBuilder(app.store().managedObjectContext())
        .comment({.task = task, .text = kComment, .created = AppDriver::defaultNow(), .author = ann});
    app.saveGivens();
    ASSERT_EQ(ann->extendedDisplayName(), kAnn);

    struct Case
    {
        const char *window;
        // The window's class, or the name of a control only that window has.
        const char *kind;
        // Opens the window as the user does and answers it; nullptr when it did not open.
        std::function<QWidget *()> open;
        QStringList shown;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"the home list",
         "KNVTMainWindowController",
         [&] {
             app.selectHome(kTheirs);
             return static_cast<QWidget *>(&app.mainWindow());
         },
         {kTheirs, kMine},
         [] {}},
        {"the centre list's rows and the task detail",
         "KNVTMainWindowController",
         [&] {
             app.selectRows({kTask});
             return static_cast<QWidget *>(&app.mainWindow());
         },
         {kTask, kComment},
         [] {}},
        {"the tool tip of the assignee's picture in a row",
         "QLabel",
         [&] { return toolTipOfRow(kTask); },
         {kAnn},
         [] {}},
        {"the task's window",
         "KNVTTaskWindowController",
         [&] {
             app.doubleClickRow(kTask);
             return taskWindowTitled(kTask);
         },
         {kTask, kComment},
         [&] {
             if (QWidget *window = taskWindowTitled(kTask))
                 window->close();
             app.settle();
         }},
        {"the edit form",
         "creatorTextField",
         [&] {
             app.selectRows({kTask});
             app.clickToolbar(QStringLiteral("Edit"));
             return front();
         },
         {kTask, kAnn},
         [&] { app.closePopover(); }},
        {"the assign popover",
         "assigneePopUpButton",
         [&] {
             app.selectRows({kTask});
             app.clickToolbar(QStringLiteral("Assign"));
             return front();
         },
         {kAnn},
         [&] { app.closePopover(); }},
        {"the schedule window",
         "KNVTScheduleTasksWindowController",
         [&] {
             app.selectHome(kTheirs);
             EXPECT_TRUE(app.dragRows({kTask}).onto(QStringLiteral("Scheduled")));
             return front();
         },
         {QStringLiteral("Schedule \"%1\"").arg(kTask)},
         [&] {
             if (QWidget *sheet = front())
                 sheet->close();
             app.settle();
         }},
        {"the project's information",
         "KNVTProjectWindowController",
         [&] {
             app.viewHomeEntry(kTheirs);
             return front();
         },
         {QStringLiteral("\"%1\" Info").arg(kTheirs), kAnn},
         [&] {
             if (QWidget *sheet = front())
                 sheet->close();
             app.settle();
         }},
        {"the project's edit sheet",
         "KNVTProjectEditWindowController",
         [&] {
             app.editHomeEntry(kMine);
             return front();
         },
         {kMine},
         [&] {
             if (QWidget *sheet = front())
                 sheet->close();
             app.settle();
         }},
        {"the tag's rename sheet",
         "KNVTTagEditWindowController",
         [&] {
             app.openRenameTagSheet(kTag);
             return front();
         },
         {kTag},
         [&] {
             if (QWidget *sheet = front())
                 sheet->close();
             app.settle();
         }},
        {"the alert asking to stop sharing a project",
         "QMessageBox",
         [&] {
             app.answerAlert(QStringLiteral("Cancel"));
             chooseInHomeMenu(kMine, QStringLiteral("Stop Sharing..."));
             return boxOfLastAlert();
         },
         {QStringLiteral("Are you sure that you want to stop sharing the Project \"%1\"?").arg(kMine)},
         [&] { m_box.reset(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.window);
        QWidget *window = c.open();
        ASSERT_NE(window, nullptr) << "it did not open";
        EXPECT_TRUE(window->inherits(c.kind) || window->findChild<QObject *>(QLatin1String(c.kind)))
            << "another window opened: " << window->metaObject()->className();
        const QStringList texts = textsShown(window);
        for (const QString &expected : c.shown)
            EXPECT_TRUE(texts.contains(expected)) << "not shown as written: " << expected.toStdString()
                                                  << "\nshown: " << texts.join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(labelsDrawingMarkup(window), QStringList());
        c.close();
    }
    // The detail's rows, drawn as plain text, are the texts as written too.
    app.selectHome(kTheirs);
    app.selectRows({kTask});
    EXPECT_TRUE(app.detailRows().contains(QStringLiteral("comment %1: %2").arg(ann->fullName(), kComment)))
        << app.detailRows().join(QStringLiteral(" | ")).toStdString();
}

TEST_F(MarkupShownAsWrittenFeature, AnAmpersandInAListsTitleOrAPersonsNameShowsInTheMenusAsTyped)
{
    app.givenProject(QStringLiteral("R&D"));
    app.givenUser(QStringLiteral("Bo & Co"));
    app.givenSharedProject(QStringLiteral("Club & Bar"), {.members = {QStringLiteral("Bo & Co")}});
    app.givenTask(QStringLiteral("Pay rent"), {.list = QStringLiteral("Club & Bar")});
    app.givenTask(QStringLiteral("Buy stamps"));
    app.selectRows({QStringLiteral("Buy stamps")});
    const QStringList move = app.toolbarMoveMenu();
    EXPECT_TRUE(move.contains(QStringLiteral("R&D"))) << move.join('|').toStdString();
    EXPECT_TRUE(move.contains(QStringLiteral("Club & Bar"))) << move.join('|').toStdString();

    // What a screen reader reads of the entry is what the menu shows, and choosing it moves the task there.
    app.openContextMenu(QStringLiteral("Buy stamps"));
    app.choose({QStringLiteral("Move To"), QStringLiteral("R&D")});
    app.selectHome(QStringLiteral("R&D"));
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[ ] Buy stamps")))
        << app.centreRows().join('|').toStdString();

    app.selectHome(QStringLiteral("Club & Bar"));
    app.openContextMenu(QStringLiteral("Pay rent"));
    const QStringList menu = app.contextMenu();
    const qsizetype assign = menu.indexOf(QStringLiteral("Assign To"));
    ASSERT_GE(assign, 0) << menu.join('|').toStdString();
    EXPECT_TRUE(menu.filter(QStringLiteral("Bo & Co")).size() == 1) << menu.join('|').toStdString();
    app.closeMenus();
}
