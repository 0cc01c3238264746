#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace knvt {

// Lets the user choose a picture for an account: a file chooser over the picture folders, the picture read with its
// orientation applied, cut to the centred square and scaled down to at most 1024 pixels a side. The account forms go
// through the shared instance, so tests hand over a file of their own instead of showing a chooser.
class ImagePicker
{
public:
    // `image` is null when the file chosen, `fileName`, is not a picture.
    using Completion = std::function<void(const QImage &image, const QString &fileName)>;

    static constexpr int MaximumSide = 1024;

    virtual ~ImagePicker();

    // Asks for a picture in a window-modal chooser on `parent`'s window and returns at once. `completion` runs on the
    // main thread once the user chose a file, with its picture, or with a null image when the file is not a picture
    // (the form says so, naming it, and keeps the picture it shows); it never runs when the user cancels.
    virtual void pickImage(QWidget *parent, Completion completion) = 0;

    // What a form says of a chosen file, `fileName`, that is not a picture.
    static QString notAPictureMessage(const QString &fileName);

    // The picture of the file at `path` as an account picture (see above); a null image when it cannot be read.
    static QImage accountImageFromFile(const QString &path);

    // The picker every form uses; the file chooser unless a test installed another.
    static ImagePicker &shared();
    // Installs `picker` (not owned) as the shared picker; nullptr restores the file chooser.
    static void setShared(ImagePicker *picker);
};

} // namespace knvt
