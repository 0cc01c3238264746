#include "TaskFormTest.h"

#include "editors/DateField.h"
#include "editors/KNVTTaskEditViewController.h"

#include <QLineEdit>
#include <QSignalSpy>

namespace {

class DateFieldTest : public TaskFormTest
{
protected:
    // Types `text` over what the field shows, as a user who selected it all would.
    static void typeOver(QWidget *field, const QString &text)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
};

TEST_F(DateFieldTest, TheFieldShowsAndTakesTheDayInTheLocalesShortFormatAndRefusesWhatIsNoDay)
{
    knvt::DateField field;
    field.show();
    const QColor normalText = field.palette().color(QPalette::Text);
    field.setDateValue(day(20, 18, 30));
    EXPECT_EQ(field.text(), QStringLiteral("3/20/15"));
    QSignalSpy changes(&field, &knvt::DateField::dateValueChanged);

    for (const char *garbage : {"Feb 30, 2026", "Feb 30, 2026 12:00 AM", "2/30/26", "13/1/26", "tomorrow"}) {
        typeOver(&field, QString::fromLatin1(garbage));
        EXPECT_TRUE(field.isRefused()) << garbage;
        EXPECT_EQ(field.dateValue(), day(20, 18, 30)) << garbage;
        EXPECT_EQ(field.text(), QString::fromLatin1(garbage));
    }
    EXPECT_EQ(changes.count(), 0);
    // The refusal is a red taken to the field's own palette, not the text colour it had.
    const QColor refused = field.palette().color(QPalette::Text);
    EXPECT_NE(refused, normalText);
    EXPECT_EQ(refused.hslHue(), 0);
    EXPECT_GT(refused.hslSaturation(), 128);
    EXPECT_FALSE(field.toolTip().isEmpty());

    // The same day typed again keeps the time of day it had; another day is that day at midnight, and the field
    // shows it the locale's way once the user leaves it.
    typeOver(&field, "3/20/15");
    EXPECT_FALSE(field.isRefused());
    EXPECT_EQ(field.palette().color(QPalette::Text), normalText);
    EXPECT_EQ(field.dateValue(), day(20, 18, 30));
    EXPECT_EQ(changes.count(), 0);
    typeOver(&field, "3/25/2026");
    EXPECT_EQ(field.dateValue(), QDateTime(QDate(2026, 3, 25), QTime(0, 0)));
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(field.text(), QStringLiteral("3/25/26"));
    typeOver(&field, "12/31/99");
    EXPECT_EQ(field.dateValue(), QDateTime(QDate(1999, 12, 31), QTime(0, 0)));
    typeOver(&field, "1/2/30");
    EXPECT_EQ(field.dateValue(), QDateTime(QDate(2030, 1, 2), QTime(0, 0)));
}

TEST_F(DateFieldTest, ADayBeforeTheMinimumIsRefusedAndAGivenValueBelowItShowsTheMinimum)
{
    knvt::DateField field;
    field.show();
    field.setMinimumDateValue(day(4));
    field.setDateValue(day(1));
    EXPECT_EQ(field.dateValue(), day(4));
    EXPECT_EQ(field.text(), QStringLiteral("3/4/15"));
    typeOver(&field, "3/3/15");
    EXPECT_TRUE(field.isRefused());
    EXPECT_EQ(field.dateValue(), day(4));
    typeOver(&field, "3/5/15");
    EXPECT_FALSE(field.isRefused());
    EXPECT_EQ(field.dateValue(), day(5));
}

TEST_F(DateFieldTest, GarbageTypedOverADueDateStoresNothingAndAShortDateStoresThatDay)
{
    KNVTCDTask *paint = task("Paint");
    paint->setDueDate(day(20, 18));
    save();
    paint->setChangedKeysString(QString());
    save();

    auto *garbage = new KNVTTaskEditViewController(paint);
    present(garbage);
    typeOver(garbage->dueDateDatePicker(), "Feb 30, 2026 12:00 AM");
    QTest::mouseClick(garbage->saveButton(), Qt::LeftButton);
    EXPECT_EQ(paint->dueDate(), day(20, 18));
    EXPECT_FALSE(paint->isUpdated());

    auto *typed = new KNVTTaskEditViewController(paint);
    present(typed);
    typeOver(typed->dueDateDatePicker(), "3/25/15");
    QTest::mouseClick(typed->saveButton(), Qt::LeftButton);
    EXPECT_EQ(paint->dueDate(), day(25));
    EXPECT_EQ(paint->changedKeys(), QStringList{"dueDate"});
}

} // namespace
