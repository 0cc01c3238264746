#include "accounts/ImagePicker.h"

#include "uikit/UnsavedTyping.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>
#include <QStandardPaths>

#include <algorithm>

namespace knvt {

namespace {

class FileDialogImagePicker final : public ImagePicker
{
public:
    void pickImage(QWidget *parent, Completion completion) override
    {
        // The chooser takes the last part of a folder that does not exist for a file name ("Pictures"), so a
        // missing picture folder gives way to the home folder.
        QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!QFileInfo(folder).isDir())
            folder = QDir::homePath();
        auto *dialog = new QFileDialog(
            parent ? parent->window() : nullptr, QCoreApplication::translate("ImagePicker", "Choose a Picture"), folder,
            QCoreApplication::translate("ImagePicker", "Images (*.png *.jpg *.jpeg *.gif *.bmp *.webp)"));
        dialog->setFileMode(QFileDialog::ExistingFile);
        // What the user types or chooses in the chooser is its answer, which its own Cancel drops: nothing to ask
        // about when the window it belongs to closes.
        UnsavedTyping::markNotKept(dialog);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [completion](const QString &path) {
            if (completion)
                completion(accountImageFromFile(path), QFileInfo(path).fileName());
        });
        dialog->open();
    }
};

ImagePicker *&installedPicker()
{
    static ImagePicker *picker = nullptr;
    return picker;
}

} // namespace

ImagePicker::~ImagePicker() = default;

QImage ImagePicker::accountImageFromFile(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return QImage();
    const int side = std::min(image.width(), image.height());
    QImage square = image.copy((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    if (side > MaximumSide)
        square = square.scaled(MaximumSide, MaximumSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return square;
}

QString ImagePicker::notAPictureMessage(const QString &fileName)
{
    return QCoreApplication::translate("ImagePicker",
                                       "“%1” is not a picture. Choose a PNG, JPEG, GIF, BMP or WebP file.")
        .arg(fileName);
}

ImagePicker &ImagePicker::shared()
{
    static FileDialogImagePicker fileDialogPicker;
    return installedPicker() ? *installedPicker() : fileDialogPicker;
}

void ImagePicker::setShared(ImagePicker *picker)
{
    installedPicker() = picker;
}

} // namespace knvt
