#include "uikit/HeldChange.h"
#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/KNVTTokenField.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace {

using knvt::UnsavedTyping;

// A control the row puts in a form (its label "Label"), the keys the user types into it or what a screen reader does
// with it through its accessible interface, and what the question before dropping the form shows of it.
struct Row
{
    const char *name;
    std::function<QWidget *(QWidget *form)> make;
    QList<Qt::Key> keys;
    QStringList shows;
    std::function<void(QAccessibleInterface *control)> reader{};
};

} // namespace

TEST(HeldChangeTest, EveryControlTheUserChangedHoldsWhatDiffersFromItsStartInItsOwnWords)
{
    knvt::KeyboardOwner::install();
    const auto box = [](QWidget *) { return new QCheckBox(QStringLiteral("Due")); };
    const Row rows[] = {
        {"a chip made with a comma and a tag still typed",
         [](QWidget *) { return new KNVTTokenField; },
         {Qt::Key_G, Qt::Key_Comma, Qt::Key_E},
         {"Label: g, e"}},
        {"the last chip taken off",
         [](QWidget *) {
             auto *tags = new KNVTTokenField;
             tags->setObjectValue({QStringLiteral("errand")});
             return tags;
         },
         {Qt::Key_Backspace},
         {"Label: none"}},
        {"a box ticked", box, {Qt::Key_Space}, {"Due: ticked"}},
        {"a box ticked and unticked", box, {Qt::Key_Space, Qt::Key_Space}, {}},
        {"a pop-up's item chosen",
         [](QWidget *) {
             auto *list = new QComboBox;
             list->addItems({QStringLiteral("No List"), QStringLiteral("Garden")});
             return list;
         },
         {Qt::Key_Down},
         {"Label: Garden"}},
        {"a level raised",
         [](QWidget *) {
             auto *level = new KNVTLevelIndicator;
             level->setLevelNames({"None", "Low", "Medium", "High"});
             return level;
         },
         {Qt::Key_End},
         {"Label: High"}},
        {"a day of a calendar",
         [](QWidget *) {
             auto *calendar = new KNVTDatePicker;
             calendar->setDateValue(QDateTime(QDate(2015, 3, 4), QTime(0, 0)));
             return calendar;
         },
         {Qt::Key_Right},
         {"Calendar: 3/5/15"}},
        {"a box that takes effect at once",
         [&box](QWidget *f) {
             QWidget *preview = box(f);
             UnsavedTyping::markNotKept(preview);
             return preview;
         },
         {Qt::Key_Space},
         {}},
        // A screen reader's toggle, value and text, through Qt's interfaces and the project's own.
        {"a box ticked by a reader's toggle",
         box,
         {},
         {"Due: ticked"},
         [](QAccessibleInterface *read) {
             read->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         }},
        {"a field's text inserted by a reader",
         [](QWidget *) { return new QLineEdit; },
         {},
         {"milk"},
         [](QAccessibleInterface *read) { read->editableTextInterface()->insertText(0, QStringLiteral("milk")); }},
        {"a tag typed into a token field by a reader",
         [](QWidget *) { return new KNVTTokenField; },
         {},
         {"Label: garden"},
         [](QAccessibleInterface *read) { read->editableTextInterface()->insertText(0, QStringLiteral("garden")); }},
        {"a level set by a reader",
         [](QWidget *) {
             auto *level = new KNVTLevelIndicator;
             level->setLevelNames({"None", "Low", "Medium", "High"});
             return level;
         },
         {},
         {"Label: Medium"},
         [](QAccessibleInterface *read) { read->valueInterface()->setCurrentValue(2); }},
        {"an alert's box",
         [](QWidget *f) {
             auto *alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Delete?"), QString(), {}, f);
             alert->setCheckBox(new QCheckBox(QStringLiteral("Do not ask again")));
             alert->show();
             return alert->checkBox();
         },
         {Qt::Key_Space},
         {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QWidget form;
        QWidget *control = row.make(&form);
        if (control->parentWidget() == nullptr)
            (new QFormLayout(&form))->addRow(QStringLiteral("Label:"), control);
        form.show();
        auto *tokens = qobject_cast<KNVTTokenField *>(control);
        for (Qt::Key key : row.keys)
            QTest::keyClick(tokens ? tokens->editor() : control, key);
        if (row.reader)
            row.reader(QAccessible::queryAccessibleInterface(tokens ? tokens->editor() : control));
        EXPECT_EQ(UnsavedTyping::typedIn(&form), row.shows);
        UnsavedTyping::forget();
    }
}

TEST(HeldChangeTest, APaneLeftForAnotherKeepsWhatWasTypedThereWhileItsWindowIsOpen)
{
    knvt::KeyboardOwner::install();
    QWidget window;
    auto *pane = new QWidget(&window);
    knvt::HeldChange::markPane(pane);
    auto *name = new QLineEdit(pane);
    auto *hiddenByThePane = new QLineEdit(pane);
    window.show();
    QTest::keyClicks(name, QStringLiteral("ann"));
    QTest::keyClicks(hiddenByThePane, QStringLiteral("secret"));
    hiddenByThePane->hide();
    pane->hide();
    EXPECT_EQ(UnsavedTyping::typedIn(&window), QStringList{"ann"});
    window.hide();
    EXPECT_TRUE(UnsavedTyping::typedIn().isEmpty());
    UnsavedTyping::forget();
}
