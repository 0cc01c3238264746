// Starting the application on a library.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskStoreInformation.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

TEST(StartFeature, AFreshLibraryOpensOnTheInboxWithTheFocusSectionExpanded)
{
    AppDriver app;
    app.launch();
    EXPECT_EQ(app.homeRows(),
              (QStringList{"FOCUS", "  Inbox", "  Today", "  Next", "  Scheduled", "  Someday", "  Projects/Areas",
                           "ARCHIVED", "  Archived"}));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox"));
    EXPECT_TRUE(app.centreRows().isEmpty());
    EXPECT_EQ(app.rightPane(), QStringLiteral("No Task Selected"));
    EXPECT_EQ(app.openWindows(), QStringList{"mainWindow"});
    EXPECT_EQ(app.windowTitle(), QStringLiteral("Quillvane"));
}

TEST(StartFeature, ALibraryOfAnotherEnvironmentSaysSoAndOpensNoWindow)
{
    AppDriver app;
    KNVTTaskStore &store = app.store();
    // A signed-in library written by a build of another environment.
    store.managedObjectContext();
    KNVTCDTaskStoreInformation *information = store.taskStoreInformation();
    information->setEnvironmentType(2);
    information->setUsername(QStringLiteral("ann"));
    information->setUserNumericIdentifier(7);
    information->setAccountNumericIdentifier(8);
    app.saveGivens();

    app.launch();
    EXPECT_EQ(
        app.alertsShown(),
        QStringList{"Incorrect Enviroment / This application is configured for a different environment than it's "
                    "library data. If you need any assistance solving this issue please contact support. [Quit]"});
    EXPECT_TRUE(app.openWindows().isEmpty());
}
