// The list of people with check boxes.
#include "AccountsTest.h"

#include "accounts/KNVTUserRowDelegate.h"
#include "accounts/KNVTUserSelectionModel.h"
#include "accounts/KNVTUserSelectionViewController.h"

#include "model/ObjectReferencePayload.h"

#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QScrollBar>

namespace {

struct RecordingSelectionDelegate final : KNVTUserSelectionViewControllerDelegate
{
    void userSelectionViewControllerDidSelectUser(KNVTUserSelectionViewController *, KNVTCDUser *user) override
    {
        events << "+" + user->username();
    }
    void userSelectionViewControllerDidDeselectUser(KNVTUserSelectionViewController *, KNVTCDUser *user) override
    {
        events << "-" + user->username();
    }
    QStringList events;
};

} // namespace

class UserSelectionTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        for (const char *name : {"Cleo", "Ann", "Bea"})
            users.push_back(
                insertUser(QString::fromLatin1(name) + QStringLiteral(" Smith"), QString::fromLatin1(name).toLower()));
        save();
        list = std::make_unique<KNVTUserSelectionViewController>(&store());
        list->setUsers(users);
        list->setUserSelectionViewControllerDelegate(&delegate);
        list->view()->resize(300, 360);
        list->view()->show();
    }

    QStringList shown() const
    {
        QStringList names;
        for (const KNVTCDUser *user : list->filteredUsers())
            names << user->username();
        return names;
    }
    QModelIndex rowOf(const QString &username) const
    {
        const auto &rows = list->model()->rows();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].username == username)
                return list->model()->index(int(i));
        }
        return {};
    }
    // Clicks the row's painted check box.
    void clickCheckBox(const QString &username)
    {
        QListView *view = list->tableView();
        const QRect rect = view->visualRect(rowOf(username));
        const QPointF centre = KNVTUserRowDelegate::layoutForRow(rect, true, false).checkBox.center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre.toPoint());
    }
    QStringList selectedNames() const
    {
        QStringList names;
        for (const KNVTCDUser *user : list->selectedUsers())
            names << user->username();
        names.sort();
        return names;
    }

    std::vector<KNVTCDUser *> users;
    RecordingSelectionDelegate delegate;
    std::unique_ptr<KNVTUserSelectionViewController> list;
};

TEST_F(UserSelectionTest, TicksSurviveSearchesAndReachTheOwner)
{
    EXPECT_EQ(shown(), QStringList({"cleo", "ann", "bea"})) << "the owner's order";
    clickCheckBox(QStringLiteral("bea"));
    EXPECT_EQ(delegate.events, QStringList{"+bea"});
    QTest::keyClicks(list->searchField(), QStringLiteral("AN"));
    EXPECT_EQ(shown(), QStringList{"ann"});
    EXPECT_EQ(selectedNames(), QStringList{"bea"}) << "hidden, still chosen";
    clickCheckBox(QStringLiteral("ann"));
    list->searchField()->clear();
    EXPECT_EQ(shown(), QStringList({"cleo", "ann", "bea"}));
    EXPECT_EQ(rowOf(QStringLiteral("bea")).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    clickCheckBox(QStringLiteral("bea"));
    EXPECT_EQ(delegate.events, QStringList({"+bea", "+ann", "-bea"}));
    EXPECT_EQ(selectedNames(), QStringList{"ann"});
}

TEST_F(UserSelectionTest, UnselectablePeopleShowTheirStateButCannotChange)
{
    list->setSelectedUsers({users[0]});
    list->setUnselectableUsers({users[0], users[1]});
    EXPECT_EQ(rowOf(QStringLiteral("cleo")).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(rowOf(QStringLiteral("ann")).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(rowOf(QStringLiteral("cleo")).flags().testFlag(Qt::ItemIsUserCheckable));
    EXPECT_TRUE(rowOf(QStringLiteral("bea")).flags().testFlag(Qt::ItemIsUserCheckable));
    clickCheckBox(QStringLiteral("cleo"));
    clickCheckBox(QStringLiteral("ann"));
    EXPECT_TRUE(delegate.events.isEmpty());
    EXPECT_EQ(selectedNames(), QStringList{"cleo"});
    list->setUnselectableUsers({});
    EXPECT_TRUE(rowOf(QStringLiteral("cleo")).flags().testFlag(Qt::ItemIsUserCheckable));
}

TEST_F(UserSelectionTest, PeopleDeletedMeanwhileAreNotChosen)
{
    list->setSelectedUsers(users);
    context().remove(users[2]);
    save();
    EXPECT_EQ(selectedNames(), QStringList({"ann", "cleo"}));
}

// More people than the list shows at once bring a vertical scroll bar; the rows then narrow with the list, so no row
// scrolls sideways and the "me" badge at the end of a row stays whole.
TEST_F(UserSelectionTest, ManyPeopleNarrowTheRowsToTheListWithTheBadgeWhole)
{
    for (const char *name : {"Dora", "Erik", "Fay", "Gus", "Hal", "Ida"})
        users.push_back(insertUser(QString::fromLatin1(name) + QStringLiteral(" Jones"), QString::fromLatin1(name)));
    save();
    list->setUsers(users);
    QListView *view = list->tableView();
    QCoreApplication::processEvents();
    ASSERT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        EXPECT_LE(rect.right(), view->viewport()->width()) << row;
        EXPECT_TRUE(
            QRectF(view->viewport()->rect())
                .contains(
                    KNVTUserRowDelegate::layoutForRow(QRectF(0, 0, rect.width(), rect.height()), true, true).meLabel))
            << row;
    }
}

TEST_F(UserSelectionTest, DraggingRowsCarriesOnePayloadOfTheirReferences)
{
    std::unique_ptr<QMimeData> mime(
        list->model()->mimeData({list->model()->index(0), list->model()->index(1), list->model()->index(2)}));
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(knvt::ObjectReferencePayload::read(*mime)->size(), 3);
    EXPECT_EQ(mime->text(), QStringLiteral("Cleo Smith\nAnn Smith\nBea Smith\n"));
    EXPECT_EQ(list->model()->mimeData({}), nullptr);
}
