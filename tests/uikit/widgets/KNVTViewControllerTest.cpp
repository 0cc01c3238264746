#include "uikit/KNVTViewController.h"

#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(KNVTViewController, TheControllerTakesItsViewAlongUnlessTheViewKeepsTheController)
{
    auto *owner = new KNVTViewController;
    QPointer<QWidget> ownedView = owner->view();
    ASSERT_TRUE(ownedView);
    EXPECT_TRUE(owner->isViewLoaded());
    delete owner;
    EXPECT_TRUE(ownedView.isNull());

    KNVTViewController survivor;
    delete survivor.view();
    EXPECT_FALSE(survivor.isViewLoaded());

    auto *kept = new KNVTViewController;
    QPointer<KNVTViewController> keptPointer = kept;
    QWidget *holder = new QWidget;
    kept->view()->setParent(holder);
    kept->setParent(kept->view());
    delete holder; // deletes the view, which deletes the controller, which leaves the view alone
    EXPECT_TRUE(keptPointer.isNull());
}

TEST(KNVTViewController, AskingForTheViewIfLoadedNeverLoadsIt)
{
    KNVTViewController controller;
    EXPECT_EQ(controller.viewIfLoaded(), nullptr);
    EXPECT_FALSE(controller.isViewLoaded());
    QWidget *view = controller.view();
    EXPECT_EQ(controller.viewIfLoaded(), view);
    delete view;
    EXPECT_EQ(controller.viewIfLoaded(), nullptr);
}

} // namespace
