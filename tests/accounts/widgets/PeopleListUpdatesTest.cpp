// The people lists change in place: a person is one row however many records name them, and a change of one person
// or list is announced for that row alone, so that a screen reader (which reads out each changed row's check box)
// hears of nothing else.
#include "AccountsTest.h"

#include "accounts/KNVTNotificationsModel.h"
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTTaskListSharingSettingsModel.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"
#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserSelectionModel.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersModel.h"
#include "accounts/UserRowRoles.h"

#include "support/CheckedModel.h"

#include <functional>

using knvt::test::CheckedModel;

class PeopleListUpdatesTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount();
        ann = insertUser(QStringLiteral("Ann Arden"), QStringLiteral("ann2"));
        ben = insertUser(QStringLiteral("Ben Berg"), QStringLiteral("ben"), 2);
        cat = insertUser(QStringLiteral("Cat Cole"), QStringLiteral("cat"), 2);
        garden = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {ann, ben});
        house = insertTaskList(QStringLiteral("House"), 1, store().me(), {ann});
        save();
    }

    static QStringList texts(const QAbstractItemModel &model)
    {
        QStringList lines;
        for (int row = 0; row < model.rowCount(); ++row)
            lines << model.index(row, 0).data(Qt::AccessibleTextRole).toString();
        return lines;
    }

    KNVTCDUser *ann = nullptr;
    KNVTCDUser *ben = nullptr;
    KNVTCDUser *cat = nullptr;
    KNVTCDTaskList *garden = nullptr;
    KNVTCDTaskList *house = nullptr;
};

TEST_F(PeopleListUpdatesTest, APersonNamedTwiceIsOneRowOfEveryPeopleList)
{
    // Two live records of Ben in Garden: the sharing sheet reads the list's people from its records.
    insertCollaborator(garden, ben, KNVTTaskListCollaboratorRoleEditor, KNVTTaskListCollaboratorStatusAccepted);
    save();
    KNVTTaskListSharingSettingsWindowController sheet(garden, &store());
    EXPECT_EQ(texts(*sheet.model()), QStringList({"Ann Arden (ann2)", "Ben Berg (ben)"}));

    CheckedModel sharing(sheet.model());
    sheet.model()->reload({cat, ben, cat, ann, ben}, garden);
    EXPECT_EQ(texts(*sheet.model()), QStringList({"Cat Cole (cat)", "Ben Berg (ben)", "Ann Arden (ann2)"}));
    EXPECT_EQ(sharing.complaints(), QStringList());

    KNVTUserSelectionModel people(&store());
    CheckedModel checked(&people);
    people.setUsers({ann, ben}, false);
    people.setUsers({ben, ann, ben, cat, ann}, false);
    EXPECT_EQ(texts(people), QStringList({"Ben Berg, ben", "Ann Arden, ann2", "Cat Cole, cat"}));
    EXPECT_EQ(people.rowOfUser(cat), 2);
    people.setUsers({cat, cat}, false);
    EXPECT_EQ(texts(people), QStringList({"Cat Cole, cat"}));
    EXPECT_EQ(checked.complaints(), QStringList());
}

TEST_F(PeopleListUpdatesTest, AChangeOfOnePersonOrListIsAnnouncedForItsRowAlone)
{
    // Each people list, what changes one of its rows, and the text the changed row then reads.
    struct Case
    {
        const char *list;
        std::function<QAbstractItemModel *()> show;
        std::function<void()> change;
        std::function<void()> follow;
        int changedRow;
        QString reads;
    };
    KNVTUserSelectionModel people(&store());
    KNVTNotificationsViewController notifications(&store());
    KNVTUserViewController detail(&store());
    KNVTTaskListSharingSettingsModel sharing;
    const std::vector<KNVTCDUser *> everybody{ann, ben, cat};
    const std::vector<Case> cases{
        {"people",
         [&] {
             people.setUsers(everybody, false);
             return &people;
         },
         [&] { ben->setFirstName(QStringLiteral("Benny")); }, [&] { people.setUsers(everybody, false); }, 1,
         QStringLiteral("Benny Berg, ben")},
        {"friendship invitations",
         [&] {
             notifications.view();
             notifications.model()->updateCells();
             return notifications.model();
         },
         [&] { cat->setLastName(QStringLiteral("Crane")); }, [&] { notifications.model()->updateCells(); }, 2,
         QStringLiteral("Cat Crane, cat")},
        {"a person's memberships",
         [&] {
             detail.view();
             detail.setUser(ann);
             return detail.model();
         },
         [&] { house->setTitle(QStringLiteral("Home")); }, [&] { detail.setUser(ann); }, 3, QStringLiteral("Home")},
        {"sharing settings",
         [&] {
             sharing.reload(everybody, garden);
             return &sharing;
         },
         [&] { ann->setFirstName(QStringLiteral("Anna")); }, [&] { sharing.reload(everybody, garden); }, 0,
         QStringLiteral("Anna Arden (ann2)")},
    };
    for (const Case &c : cases) {
        QAbstractItemModel *model = c.show();
        CheckedModel checked(model);
        checked.keepEveryRow({Qt::AccessibleTextRole});
        const QString before = texts(*model).join(u'|');
        c.change();
        save();
        c.follow();
        EXPECT_EQ(checked.heard().changedRows, QStringList(QStringLiteral("%1-%1").arg(c.changedRow)))
            << c.list << ": " << qPrintable(before) << " -> " << qPrintable(texts(*model).join(u'|'));
        EXPECT_EQ(checked.heard().inserts + checked.heard().removes + checked.heard().moves + checked.heard().resets
                      + checked.heard().layouts,
                  0)
            << c.list;
        EXPECT_EQ(model->index(c.changedRow, 0).data(Qt::AccessibleTextRole).toString(), c.reads) << c.list;
        EXPECT_EQ(checked.rowsThatLeftTheirIndex().size(), 1) << c.list << ": only the changed row";
        EXPECT_EQ(checked.complaints(), QStringList()) << c.list;
    }
}

TEST_F(PeopleListUpdatesTest, ANewPictureChangesTheRowOfADrawnPersonAloneAndTheSamePictureWrittenAgainNone)
{
    // Each list, how it follows the store, the row it drew and that row's person, and a person shown but never drawn.
    struct Case
    {
        const char *list;
        QAbstractItemModel *model;
        std::function<void()> follow;
        int drawnRow;
        KNVTCDUser *drawn;
        KNVTCDUser *neverDrawn;
        Qt::GlobalColor newPicture;
    };
    KNVTUserSelectionModel people(&store());
    KNVTNotificationsViewController notifications(&store());
    notifications.view();
    KNVTUserViewController detail(&store());
    detail.view();
    const std::vector<KNVTCDUser *> everybody{ann, ben, cat};
    const std::vector<Case> cases{
        {"people", &people, [&] { people.setUsers(everybody, false); }, 0, ann, cat, Qt::red},
        {"friendship invitations", notifications.model(), [&] { notifications.model()->updateCells(); }, 2, cat, ben,
         Qt::green},
        {"a person's memberships", detail.model(), [&] { detail.setUser(ann); }, 0, ann, nullptr, Qt::magenta},
    };
    const auto showPicture = [this](KNVTCDUser *user, Qt::GlobalColor colour) {
        QImage picture(40, 40, QImage::Format_RGB32);
        picture.fill(colour);
        user->avatar()->setImage(picture);
    };
    for (const Case &c : cases) {
        c.follow();
        const auto drawnColour = [&c] {
            const QImage shown = c.model->index(c.drawnRow, 0).data(knvt::UserAvatarImageRole).value<QImage>();
            return shown.isNull() ? QColor() : shown.pixelColor(shown.rect().center());
        };
        drawnColour(); // as the row's first paint reads it
        CheckedModel checked(c.model);
        showPicture(c.drawn, c.newPicture);
        if (c.neverDrawn)
            showPicture(c.neverDrawn, Qt::blue);
        save();
        c.follow();
        EXPECT_EQ(checked.heard().changedRows, QStringList(QStringLiteral("%1-%1").arg(c.drawnRow))) << c.list;
        EXPECT_EQ(drawnColour(), QColor(c.newPicture)) << c.list;

        checked.forget();
        showPicture(c.drawn, c.newPicture);
        save();
        c.follow();
        EXPECT_EQ(checked.heard().changedRows, QStringList()) << c.list << ": the same picture";
        EXPECT_EQ(drawnColour(), QColor(c.newPicture)) << c.list;
        EXPECT_EQ(checked.complaints(), QStringList()) << c.list;
    }
}
