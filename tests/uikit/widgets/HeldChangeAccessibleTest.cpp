#include "uikit/HeldChangeAccessible.h"

#include "uikit/UnsavedTyping.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

#include <climits>
#include <functional>

#include <gtest/gtest.h>

namespace {

using knvt::UnsavedTyping;

// The interfaces Qt's cache keeps for `object`. Qt hands out its ids upward from INT_MAX + 1, the freed ones first, so
// every interface this test made is among the first few thousand.
int interfacesKeptFor(const QObject *object)
{
    int kept = 0;
    constexpr QAccessible::Id First = QAccessible::Id(INT_MAX) + 1;
    for (QAccessible::Id id = First; id < First + 4096; ++id)
        if (QAccessibleInterface *iface = QAccessible::accessibleInterface(id); iface && iface->object() == object)
            ++kept;
    return kept;
}

// A control of a form (its label "Label"), what a screen reader reads of it before changing it, the change it makes
// through the control's interface, and what the question before dropping the form then shows.
struct Row
{
    const char *name;
    std::function<QWidget *()> make;
    std::function<void(QAccessibleInterface *control)> read;
    std::function<void(QAccessibleInterface *control)> change;
    QString value;
    QStringList shows;
};

} // namespace

TEST(HeldChangeAccessibleTest, AReaderReadsAndChangesQtsControlsThroughTheOneInterfaceQtKeepsForEach)
{
    knvt::HeldChangeAccessible::install();
    const Row rows[] = {
        {"a text field",
         [] { return new QLineEdit(QStringLiteral("mil")); },
         [](QAccessibleInterface *field) {
             EXPECT_EQ(field->role(), QAccessible::EditableText);
             EXPECT_TRUE(field->state().editable);
             ASSERT_NE(field->textInterface(), nullptr);
             EXPECT_EQ(field->textInterface()->text(0, field->textInterface()->characterCount()), "mil");
             EXPECT_TRUE(
                 field->actionInterface()->actionNames().contains(QAccessibleActionInterface::setFocusAction()));
         },
         [](QAccessibleInterface *field) { field->setText(QAccessible::Value, QStringLiteral("milk")); },
         QStringLiteral("milk"),
         {"milk"}},
        {"a text field typed into",
         [] { return new QLineEdit; },
         [](QAccessibleInterface *field) { EXPECT_EQ(field->text(QAccessible::Value), ""); },
         [](QAccessibleInterface *field) { field->editableTextInterface()->insertText(0, QStringLiteral("eggs")); },
         QStringLiteral("eggs"),
         {"eggs"}},
        {"a check box",
         [] { return new QCheckBox(QStringLiteral("Due")); },
         [](QAccessibleInterface *box) {
             EXPECT_EQ(box->role(), QAccessible::CheckBox);
             EXPECT_EQ(box->text(QAccessible::Name), "Due");
             EXPECT_FALSE(box->state().checked);
             EXPECT_TRUE(box->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
         },
         [](QAccessibleInterface *box) {
             box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         },
         QString(),
         {"Due: ticked"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QWidget form;
        QWidget *control = row.make();
        (new QFormLayout(&form))->addRow(QStringLiteral("Label:"), control);
        form.show();
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(read, nullptr);
        const QAccessible::Id id = QAccessible::uniqueId(read);
        row.read(read);
        // A reader reaches the control from its window as well, and meets the same interface there.
        QAccessibleInterface *window = read->parent();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->child(window->indexOfChild(read)), read);
        row.change(read);
        if (!row.value.isNull())
            EXPECT_EQ(read->text(QAccessible::Value), row.value);
        else
            EXPECT_TRUE(read->state().checked);
        EXPECT_EQ(UnsavedTyping::typedIn(&form), row.shows);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control), read);
        EXPECT_EQ(QAccessible::uniqueId(read), id);
        EXPECT_EQ(interfacesKeptFor(control), 1);
        UnsavedTyping::forget();
        delete control;
        EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr) << "the interface goes with its control";
    }
}
