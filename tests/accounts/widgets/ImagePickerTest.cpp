#include "accounts/ImagePicker.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ImagePickerTest, WithoutAPictureFolderTheChooserOpensInTheHomeFolderWithNoFileName)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    QFile dirs(
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath("user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"" + scratch.filePath("Pictures").toUtf8() + "\"\n");
    dirs.close();
    ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation), scratch.filePath("Pictures"));

    QWidget form;
    form.show();
    knvt::ImagePicker::setShared(nullptr);
    knvt::ImagePicker::shared().pickImage(&form, {});
    auto *chooser = form.findChild<QFileDialog *>();
    ASSERT_NE(chooser, nullptr);
    auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QString());
    EXPECT_EQ(chooser->directory().absolutePath(), QDir::homePath());
    chooser->reject();
    dirs.remove();
}
