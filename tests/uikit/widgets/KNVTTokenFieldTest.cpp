#include "uikit/KNVTTokenField.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCompleter>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Tags by URI, shown by their names, as the task forms use the field.
class TagDelegate : public KNVTTokenFieldDelegate
{
public:
    QString tokenField(KNVTTokenField *, const QVariant &representedObject) override
    {
        return representedObject.toUrl().fragment();
    }
    QVariant representedObjectForEditingString(KNVTTokenField *, const QString &editingString) override
    {
        return tag(editingString);
    }
    QStringList completionsForSubstring(KNVTTokenField *, const QString &substring) override
    {
        asked.append(substring);
        QStringList matches;
        for (const QString &name : {QStringLiteral("errands"), QStringLiteral("email"), QStringLiteral("work")}) {
            if (name.startsWith(substring, Qt::CaseInsensitive))
                matches.append(name);
        }
        return matches;
    }

    static QVariant tag(const QString &name) { return QUrl(QStringLiteral("x-tag:tags#") + name); }

    QStringList asked;
};

class Host : public QWidget
{
public:
    int returnPresses = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return)
            ++returnPresses;
        QWidget::keyPressEvent(event);
    }
};

class KNVTTokenFieldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&host);
        field = new KNVTTokenField(&host);
        other = new QLineEdit(&host);
        layout->addWidget(field);
        layout->addWidget(other);
        field->setDelegate(&tags);
        field->setObjectValue({TagDelegate::tag(QStringLiteral("home")), TagDelegate::tag(QStringLiteral("calls"))});
        host.resize(300, 120);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        field->setFocus();
    }

    QLineEdit *editor() const { return field->editor(); }

    TagDelegate tags;
    Host host;
    KNVTTokenField *field = nullptr;
    QLineEdit *other = nullptr;
};

TEST_F(KNVTTokenFieldTest, ShowsTheDelegatesTextForEachObject)
{
    EXPECT_EQ(field->tokenStrings(), (QStringList{"home", "calls"}));
    EXPECT_TRUE(editor()->hasFocus());
    EXPECT_EQ(editor()->objectName(), QStringLiteral("tokenFieldEditor"));

    KNVTTokenField plain;
    plain.setObjectValue({QStringLiteral("a"), 42});
    EXPECT_EQ(plain.tokenStrings(), (QStringList{"a", "42"}));
}

TEST_F(KNVTTokenFieldTest, ReturnTurnsTheTypedTextIntoATokenOfTheDelegatesObject)
{
    QSignalSpy changed(field, &KNVTTokenField::objectValueChanged);
    QTest::keyClicks(editor(), QStringLiteral("  errands "));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(field->objectValue().last(), TagDelegate::tag(QStringLiteral("errands")));
    EXPECT_EQ(field->tokenStrings(), (QStringList{"home", "calls", "errands"}));
    EXPECT_EQ(field->editingString(), QString());
    EXPECT_EQ(host.returnPresses, 0);

    // With nothing typed, Return is for the window.
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(host.returnPresses, 1);
    EXPECT_EQ(field->objectValue().size(), 3);
}

TEST_F(KNVTTokenFieldTest, CommasEndTokensWhetherTypedOrPasted)
{
    QTest::keyClicks(editor(), QStringLiteral("a,b, ,c"));
    EXPECT_EQ(field->tokenStrings(), (QStringList{"home", "calls", "a", "b"}));
    EXPECT_EQ(field->editingString(), QStringLiteral("c"));

    editor()->clear();
    editor()->insert(QStringLiteral("x, y,z"));
    emit editor()->textEdited(editor()->text());
    EXPECT_EQ(field->tokenStrings(), (QStringList{"home", "calls", "a", "b", "x", "y"}));
    EXPECT_EQ(field->editingString(), QStringLiteral("z"));
}

TEST_F(KNVTTokenFieldTest, BackspaceInTheEmptyEditorRemovesTheLastToken)
{
    QTest::keyClicks(editor(), QStringLiteral("ab"));
    QTest::keyClick(editor(), Qt::Key_Backspace);
    EXPECT_EQ(field->editingString(), QStringLiteral("a"));
    EXPECT_EQ(field->objectValue().size(), 2);

    QTest::keyClick(editor(), Qt::Key_Backspace);
    QSignalSpy changed(field, &KNVTTokenField::objectValueChanged);
    QTest::keyClick(editor(), Qt::Key_Backspace);
    EXPECT_EQ(field->tokenStrings(), QStringList{"home"});
    EXPECT_EQ(changed.count(), 1);
    QTest::keyClick(editor(), Qt::Key_Backspace);
    QTest::keyClick(editor(), Qt::Key_Backspace);
    EXPECT_TRUE(field->objectValue().isEmpty());
}

TEST_F(KNVTTokenFieldTest, LeavingTheFieldKeepsWhatWasTyped)
{
    QTest::keyClicks(editor(), QStringLiteral("trip"));
    other->setFocus();
    EXPECT_EQ(field->tokenStrings(), (QStringList{"home", "calls", "trip"}));
    EXPECT_EQ(field->editingString(), QString());
}

TEST_F(KNVTTokenFieldTest, OffersTheDelegatesCompletionsAndTakesTheChosenOne)
{
    QTest::keyClicks(editor(), QStringLiteral("e"));
    EXPECT_EQ(tags.asked.last(), QStringLiteral("e"));
    QAbstractItemView *popup = field->completer()->popup();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->model()->rowCount(), 2);

    QTest::keyClicks(editor(), QStringLiteral("m"));
    EXPECT_EQ(tags.asked.last(), QStringLiteral("em"));
    EXPECT_EQ(popup->model()->rowCount(), 1);

    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(field->tokenStrings(), (QStringList{"home", "calls", "email"}));
    EXPECT_EQ(field->editingString(), QString());
    EXPECT_FALSE(popup->isVisible());

    QTest::keyClicks(editor(), QStringLiteral("zz"));
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(KNVTTokenFieldTest, SizeToFitKeepsOriginAndWidthAndGrowsByOneTokenHeightPerWrappedLine)
{
    KNVTTokenField loose;
    loose.setDelegate(&tags);
    loose.setGeometry(10, 20, 150, 60);
    loose.sizeToFit();
    EXPECT_EQ(loose.geometry(), QRect(10, 20, 150, loose.cellHeight()));

    const QString word = QStringLiteral("abcdefghij");
    const int tokenWidth = loose.tokenCellSize(word).width();
    const int tokenHeight = loose.tokenCellSize(word).height();
    // Two tokens fit beside each other in 2 * width + 1, not in 2 * width.
    const QVariantList four(4, TagDelegate::tag(word));
    loose.setObjectValue(four);
    loose.setGeometry(10, 20, 2 * tokenWidth + 1, 10);
    loose.sizeToFit();
    EXPECT_EQ(loose.geometry(), QRect(10, 20, 2 * tokenWidth + 1, loose.cellHeight() + tokenHeight));
    loose.resize(2 * tokenWidth, 10);
    loose.sizeToFit();
    EXPECT_EQ(loose.height(), loose.cellHeight() + 3 * tokenHeight);
}

TEST_F(KNVTTokenFieldTest, DrawsEachTokenAsAChipWithTheEditorAfterTheLast)
{
    field->resize(300, field->cellHeight());
    QImage image(field->size(), QImage::Format_ARGB32);
    field->render(&image);
    const KNVTTokenField::Layout layout = KNVTTokenField::layoutTokens(
        field->width(), field->cellHeight(),
        {field->tokenCellSize(QStringLiteral("home")), field->tokenCellSize(QStringLiteral("calls"))});
    const QColor background = image.pixelColor(field->width() - 4, field->height() / 2);
    for (const QRect &token : layout.tokenRects) {
        // Just inside the chip's rounded left end, left of the text.
        const QColor chip = image.pixelColor(token.left() + token.height() / 2, token.top() + 4);
        EXPECT_NE(chip, background);
        EXPECT_GT(chip.blue(), chip.red()) << "chips are tinted blue";
        // The gap after the chip shows the field.
        EXPECT_EQ(image.pixelColor(token.right() - 1, token.center().y()), background);
    }
    EXPECT_EQ(editor()->geometry().left(), layout.tokenRects.last().right() + 1);
}

} // namespace

namespace {

// Tags that can be dragged as their names, and dropped as lines of names; "spam" is never added and a token's menu
// names it.
class DraggingTagDelegate : public TagDelegate
{
public:
    QVariantList shouldAddObjects(KNVTTokenField *, const QVariantList &objects, qsizetype index) override
    {
        indexes.append(index);
        QVariantList kept;
        for (const QVariant &object : objects) {
            if (object.toUrl().fragment() != QStringLiteral("spam"))
                kept.append(object);
        }
        return kept;
    }
    bool writeRepresentedObjects(KNVTTokenField *, const QVariantList &objects, QMimeData &mime) override
    {
        QStringList names;
        for (const QVariant &object : objects)
            names.append(object.toUrl().fragment());
        mime.setData(QStringLiteral("application/x-test-tags"), names.join(QLatin1Char('\n')).toUtf8());
        return true;
    }
    QStringList readFromPasteboard(KNVTTokenField *, const QMimeData &mime) override
    {
        const QString text = QString::fromUtf8(mime.data(QStringLiteral("application/x-test-tags")));
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    bool hasMenuForRepresentedObject(KNVTTokenField *, const QVariant &object) override
    {
        return object.toUrl().fragment() != QStringLiteral("calls");
    }
    QMenu *menuForRepresentedObject(KNVTTokenField *, const QVariant &object) override
    {
        auto *menu = new QMenu;
        menu->addAction(object.toUrl().fragment());
        return menu;
    }

    QList<qsizetype> indexes;
};

class KNVTTokenFieldDelegateTest : public KNVTTokenFieldTest
{
protected:
    void SetUp() override
    {
        KNVTTokenFieldTest::SetUp();
        field->setDelegate(&dragging);
    }
    DraggingTagDelegate dragging;
};

TEST_F(KNVTTokenFieldDelegateTest, TheDelegateDecidesWhichTypedTokensAreAdded)
{
    QTest::keyClicks(field->editor(), QStringLiteral("spam"));
    QTest::keyClick(field->editor(), Qt::Key_Return);
    QTest::keyClicks(field->editor(), QStringLiteral("work,"));
    EXPECT_EQ(field->tokenStrings(), QStringList({"home", "calls", "work"}));
    EXPECT_EQ(dragging.indexes, QList<qsizetype>({2, 2}));
    EXPECT_TRUE(field->editingString().isEmpty());
}

TEST_F(KNVTTokenFieldDelegateTest, DraggedTokensCarryTheDelegatesDataAndDropsAddWhatItReads)
{
    std::unique_ptr<QMimeData> mime(field->mimeDataForTokens({1}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->data(QStringLiteral("application/x-test-tags")), QByteArray("calls"));
    EXPECT_EQ(field->tokenIndexAt(QPoint(-5, -5)), -1);
    const QRect second = KNVTTokenField::layoutTokens(field->width(), field->cellHeight(),
                                                      {field->tokenCellSize("home"), field->tokenCellSize("calls")})
                             .tokenRects.at(1);
    EXPECT_EQ(field->tokenIndexAt(second.center()), 1);

    QMimeData dropped;
    dropped.setData(QStringLiteral("application/x-test-tags"), QByteArray("errands\nspam\n  \nemail"));
    QSignalSpy changes(field, &KNVTTokenField::objectValueChanged);
    EXPECT_TRUE(field->dropMimeData(dropped));
    EXPECT_EQ(field->tokenStrings(), QStringList({"home", "calls", "errands", "email"}));
    EXPECT_EQ(changes.count(), 2);
    EXPECT_FALSE(field->dropMimeData(QMimeData()));

    field->setDelegate(&tags); // the plain delegate neither drags nor reads
    EXPECT_EQ(field->mimeDataForTokens({0}), nullptr);
    EXPECT_FALSE(field->dropMimeData(dropped));
}

TEST_F(KNVTTokenFieldDelegateTest, OnlyTokensTheDelegateNamesHaveAMenu)
{
    std::unique_ptr<QMenu> menu(field->menuForToken(0));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("home"));
    EXPECT_EQ(field->menuForToken(1), nullptr);
    EXPECT_EQ(field->menuForToken(7), nullptr);
}

TEST_F(KNVTTokenFieldTest, AScreenReaderReadsTheFieldByItsLabelAndEachToken)
{
    auto *label = new QLabel(QStringLiteral("&Tags"), &host);
    label->setBuddy(field);
    field->setObjectValue({TagDelegate::tag(QStringLiteral("home")), TagDelegate::tag(QStringLiteral("calls"))});
    other->setFocus();
    field->setFocus();

    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(field);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Tags"));
    ASSERT_EQ(read->childCount(), 3);
    EXPECT_EQ(read->child(0)->text(QAccessible::Name), QStringLiteral("home"));
    EXPECT_EQ(read->child(1)->text(QAccessible::Name), QStringLiteral("calls"));
    EXPECT_EQ(read->indexOfChild(read->child(1)), 1);
    EXPECT_EQ(read->child(2)->object(), editor());
    EXPECT_FALSE(read->child(0)->rect().isEmpty());

    // The focus is on the line edit: it says the field's name and the tokens it holds.
    QAccessibleInterface *typing = QAccessible::queryAccessibleInterface(editor());
    EXPECT_EQ(typing->text(QAccessible::Name), QStringLiteral("Tags"));
    EXPECT_EQ(typing->text(QAccessible::Description), QStringLiteral("home, calls"));

    QTest::keyClicks(editor(), QStringLiteral("work"));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(typing->text(QAccessible::Description), QStringLiteral("home, calls, work"));
    ASSERT_EQ(read->childCount(), 4);
    EXPECT_EQ(read->child(2)->text(QAccessible::Name), QStringLiteral("work"));
    QTest::keyClick(editor(), Qt::Key_Backspace);
    EXPECT_EQ(read->childCount(), 3);
}

} // namespace
