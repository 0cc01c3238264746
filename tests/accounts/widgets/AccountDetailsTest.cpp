// The account details sheet against the fake service.
#include "AccountsTest.h"

#include "accounts/KNVTAccountDetailsWindowController.h"

#include "uikit/KNVTImageView.h"

#include "support/ChosenFileImagePicker.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

class AccountDetailsTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount(QStringLiteral("annlee"));
        // A full-size picture: what the sheet shows of it is only the 128-pixel thumbnail.
        store().me()->avatar()->setImage(picture({600, 400}, QColor(200, 40, 40)));
        save();
        originalPicture = store().me()->avatar()->data();
        sheet = std::make_unique<KNVTAccountDetailsWindowController>(&store());
    }

    template <class T = QLineEdit>
    T *widget(const char *name)
    {
        return child<T>(sheet.get(), name);
    }
    QJsonObject sentUser() const
    {
        return fake.lastRequest("PUT", "/users/42.json")->json().object().value("user").toObject();
    }
    void saveAndWait()
    {
        widget<QPushButton>("saveButton")->click();
        ASSERT_TRUE(waitUntil([this] { return !sheet->isRunning(); }));
    }

    QByteArray originalPicture;
    std::unique_ptr<KNVTAccountDetailsWindowController> sheet;
};

TEST_F(AccountDetailsTest, TheSheetShowsTheSignedInUserAndSavesNothingUnchanged)
{
    EXPECT_EQ(widget("usernameTextField")->text(), QStringLiteral("annlee"));
    EXPECT_TRUE(widget("usernameTextField")->isReadOnly());
    EXPECT_EQ(widget("emailAddressTextField")->text(), QStringLiteral("annlee@example.com"));
    EXPECT_EQ(widget("firstNameTextField")->text(), QStringLiteral("annlee"));
    EXPECT_EQ(widget("lastNameTextField")->text(), QStringLiteral("Doe"));
    EXPECT_EQ(widget<KNVTImageView>("avatarImageView")->image().size(), QSize(128, 128));
    EXPECT_TRUE(widget<QLabel>("progressLabel")->isHidden());

    sheet->open();
    widget<QPushButton>("saveButton")->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(fake.hasRequest("PUT", "/users/42.json"));

    widget("firstNameTextField")->clear();
    EXPECT_FALSE(widget<QPushButton>("saveButton")->isEnabled());
    widget("firstNameTextField")->setText(QStringLiteral("Ann"));
    widget("usernameTextField")->setText(QStringLiteral("annle"));
    EXPECT_TRUE(widget<QPushButton>("saveButton")->isEnabled()) << "the user name is not the user's to edit";
}

TEST_F(AccountDetailsTest, ANameChangeSendsTheTextsAloneAndLeavesThePictureAlone)
{
    fake.on("PUT", "/users/42.json").json(200, "{}");
    sheet->open();
    widget("lastNameTextField")->setText(QStringLiteral("Lindqvist"));
    saveAndWait();

    const auto request = *fake.lastRequest("PUT", "/users/42.json");
    EXPECT_EQ(request.header("Authorization"), QByteArray("Basic ") + QByteArray("annlee:secret1").toBase64());
    EXPECT_EQ(request.header("Content-Type"), QByteArray("application/json"));
    // Only the text changed in the sheet: the others could overwrite what changed elsewhere meanwhile.
    EXPECT_EQ(sentUser(), QJsonObject({{"last_name", "Lindqvist"}}));
    EXPECT_EQ(store().me()->lastName(), QStringLiteral("Lindqvist"));
    EXPECT_EQ(store().me()->avatar()->data(), originalPicture);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(context().hasChanges()) << "saved at once";
}

TEST_F(AccountDetailsTest, APickedPictureIsSentAndKeptWhole)
{
    fake.on("PUT", "/users/42.json").json(200, "{}");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.png"));
    picture({800, 800}, QColor(20, 60, 220)).save(path);
    knvt::test::ChosenFileImagePicker picker;
    // A file that is no picture is named as such, and the sheet keeps the picture it shows.
    QFile notes(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("Buy milk") > 0);
    notes.close();
    picker.choose(notes.fileName());
    widget<QPushButton>("avatarPickerButton")->click();
    EXPECT_FALSE(sheet->updatedAvatar());
    EXPECT_EQ(widget<QLabel>("progressLabel")->text(),
              QStringLiteral("“notes.txt” is not a picture. Choose a PNG, JPEG, GIF, BMP or WebP file."));

    picker.choose(path);
    widget<QPushButton>("avatarPickerButton")->click();
    EXPECT_TRUE(sheet->updatedAvatar());
    saveAndWait();

    QImage sent;
    ASSERT_TRUE(sent.loadFromData(QByteArray::fromBase64(sentUser().value("avatar_data").toString().toLatin1())));
    EXPECT_EQ(sent.size(), QSize(800, 800));
    EXPECT_EQ(QColor(sent.pixel(10, 10)), QColor(20, 60, 220));
    EXPECT_FALSE(sentUser().contains("avatar"));
    EXPECT_EQ(store().me()->avatar()->image().size(), QSize(800, 800));
    EXPECT_EQ(QColor(store().me()->avatar()->thumbnailImage().pixel(64, 64)), QColor(20, 60, 220));
}

TEST_F(AccountDetailsTest, RefusalsShowTheirReasonAndChangeNothing)
{
    struct Case
    {
        int status;
        QByteArray body;
        QString message;
    };
    const Case cases[] = {
        {422, R"({"email":["is associated with another account"]})",
         QStringLiteral("Unable to update account details as that email address \"ann@elsewhere.com\" is already "
                        "associated with an account.")},
        {422, R"({"username":["has already been taken"]})",
         QStringLiteral("Unable to update account detais as the username \"annlee\" is already taken.")},
        {422, R"({"email":["is invalid"]})", QStringLiteral("Unable to update account details.")},
        {503, "down",
         QStringLiteral("We are currently unable to update your account details as the service is down for "
                        "maintenance. Please try again in a few minutes.")},
        {201, "{}", QStringLiteral("Unable to update account details.")},
    };
    widget("emailAddressTextField")->setText(QStringLiteral("ann@elsewhere.com"));
    for (const Case &c : cases) {
        fake.on("PUT", "/users/42.json").clear().json(c.status, c.body);
        saveAndWait();
        EXPECT_EQ(widget<QLabel>("progressLabel")->text(), c.message) << c.status;
        EXPECT_TRUE(widget("emailAddressTextField")->isEnabled());
        EXPECT_TRUE(widget<QPushButton>("saveButton")->isEnabled());
    }
    EXPECT_EQ(store().me()->emailAddress(), QStringLiteral("annlee@example.com"));

    fake.stop();
    saveAndWait();
    EXPECT_EQ(widget<QLabel>("progressLabel")->text(),
              QStringLiteral("Unable to update account details as the connection failed."));
}

TEST_F(AccountDetailsTest, WhatASyncChangedWhileTheSheetWasOpenSurvivesItsSave)
{
    fake.on("PUT", "/users/42.json").json(200, "{}");
    sheet->open();
    // A pull changes the user's first name and address while the sheet shows the ones it loaded.
    store().me()->setFirstName(QStringLiteral("Anna"));
    store().me()->setEmailAddress(QStringLiteral("anna@example.org"));
    save();

    // Nothing typed: Save closes the sheet and sends nothing, though the fields differ from the user now.
    widget<QPushButton>("saveButton")->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(fake.hasRequest("PUT", "/users/42.json"));

    // Only the last name typed: only it is sent and written.
    sheet = std::make_unique<KNVTAccountDetailsWindowController>(&store());
    sheet->open();
    store().me()->setFirstName(QStringLiteral("Annika"));
    save();
    widget("lastNameTextField")->setText(QStringLiteral("Lindqvist"));
    widget("emailAddressTextField")->setText(QStringLiteral("typed@example.org"));
    widget("emailAddressTextField")->setText(QStringLiteral("anna@example.org"));
    saveAndWait();
    EXPECT_EQ(sentUser(), QJsonObject({{"last_name", "Lindqvist"}})) << "an address typed back as loaded is no change";
    EXPECT_EQ(store().me()->firstName(), QStringLiteral("Annika"));
    EXPECT_EQ(store().me()->emailAddress(), QStringLiteral("anna@example.org"));
    EXPECT_EQ(store().me()->lastName(), QStringLiteral("Lindqvist"));
    EXPECT_FALSE(context().hasChanges());
}
