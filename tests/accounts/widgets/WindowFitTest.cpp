// The preference window opens whole on the screen, as wide as its texts, and grows for its longest message; the people
// window opens in the middle of the screen; a long name in the account pane ends in an ellipsis.
#include "AccountsTest.h"

#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceSignInViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTUsersWindowController.h"

#include "uikit/ElidingLabel.h"
#include "uikit/KNVTAvatarView.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

using knvt::test::waitUntil;

namespace {

std::string text(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).toStdString();
}

// Whether all of `widget` lies inside its window's client area, and the window on its screen.
::testing::AssertionResult isWhollyShown(QWidget *widget)
{
    QWidget *window = widget->window();
    const QRect inWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
    if (!window->rect().contains(inWindow)) {
        return ::testing::AssertionFailure() << widget->objectName().toStdString() << " at " << text(inWindow)
                                             << " outside the window " << text(window->rect());
    }
    const QRect available = window->screen()->availableGeometry();
    if (!available.contains(window->frameGeometry())) {
        return ::testing::AssertionFailure()
            << "the window at " << text(window->frameGeometry()) << " leaves the screen " << text(available);
    }
    return ::testing::AssertionSuccess();
}

// Whether a word-wrapped label is tall enough for all its lines at its width.
::testing::AssertionResult showsAllItsLines(QLabel *label)
{
    const int needed = label->heightForWidth(label->width());
    if (label->isVisible() && label->height() >= needed)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the label is " << label->height() << " high but needs " << needed
                                         << " for: " << label->text().toStdString();
}

} // namespace

class WindowFitTest : public AccountsTest
{};

TEST_F(WindowFitTest, ThePreferencesGrowForTheMaintenanceMessageAndStayOnTheScreen)
{
    fake.on("GET", "/account.json").json(503, "{}");
    KNVTPreferenceWindowController window(nullptr, &store());
    window.show();
    ASSERT_TRUE(isWhollyShown(window.toolbar()));
    for (QAction *item : {window.generalToolbarItem(), window.accountToolbarItem(), window.viewingToolbarItem()}) {
        QWidget *button = window.toolbar()->widgetForAction(item);
        EXPECT_GE(button->width(), button->sizeHint().width()) << item->text().toStdString();
        EXPECT_TRUE(isWhollyShown(button)) << item->text().toStdString();
    }

    // Left near a corner of the screen, the window comes back whole when it resizes for another pane.
    const QRect available = window.screen()->availableGeometry();
    window.move(available.right() - 60, available.bottom() - 60);
    window.accountToolbarItem()->trigger();
    EXPECT_TRUE(isWhollyShown(window.toolbar()));
    QWidget *pane = window.currentViewController()->view();
    child<QLineEdit>(pane, "usernameTextField")->setText(QStringLiteral("ann"));
    child<QLineEdit>(pane, "passwordSecureTextField")->setText(QStringLiteral("secret1"));
    child<QPushButton>(pane, "signInButton")->click();
    auto *message = child<QLabel>(pane, "progressLabel");
    ASSERT_TRUE(waitUntil([&] { return message->text().contains(QLatin1String("maintenance")); }));
    // The window grows through the layout's posted requests, which a slow run may not have handled yet.
    waitUntil([&] { return bool(showsAllItsLines(message)); });
    EXPECT_TRUE(showsAllItsLines(message));
    EXPECT_TRUE(isWhollyShown(message));
    EXPECT_TRUE(isWhollyShown(child<QPushButton>(pane, "signInButton")));
}

TEST_F(WindowFitTest, ThePeopleWindowOpensInTheMiddleOfTheScreen)
{
    KNVTUsersWindowController window(&store());
    // Narrower than the test's small screen, so that it can stand in the middle.
    window.resize(600, 400);
    window.show();
    const QRect available = window.screen()->availableGeometry();
    EXPECT_LE((window.frameGeometry().center() - available.center()).manhattanLength(), 2)
        << text(window.frameGeometry()) << " on " << text(available);
}

TEST_F(WindowFitTest, ALongNameInTheAccountPaneEndsInAnEllipsisAndTheAvatarTakesTwoInitials)
{
    configureAccount();
    store().me()->setFirstName(QStringLiteral("Maximiliana Josefina Carlota Wilhelmina Theresia"));
    store().me()->setLastName(QStringLiteral("van der Berg-Oosterhout"));
    save();
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    QWidget *view = pane.view();
    view->resize(480, 300);
    view->show();
    auto *name = child<knvt::ElidingLabel>(view, "fullNameLabel");
    EXPECT_EQ(name->text(), store().me()->fullName());
    EXPECT_TRUE(name->shownText().endsWith(QChar(0x2026))) << name->shownText().toStdString();
    EXPECT_LE(name->fontMetrics().horizontalAdvance(name->shownText()), name->contentsRect().width());
    EXPECT_TRUE(isWhollyShown(child<QPushButton>(view, "signOutButton")));
    EXPECT_EQ(child<KNVTAvatarView>(view, "avatarImageView")->text(), QStringLiteral("MV"));
}
