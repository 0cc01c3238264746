#include "hotkeys/KNVTShortcutImageProvider.h"
#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "hotkeys/KNVTShortcutRecorderControl.h"
#include "hotkeys/KNVTShortcutValidator.h"
#include "uikit/MessageBoxAlertPresenter.h"
#include "uikit/screenshots/Screenshots.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QVBoxLayout>

#include <memory>

namespace {

// The recorder on a window background, wide enough for its texts.
struct Frame
{
    QWidget window;
    KNVTShortcutRecorderControl *recorder;

    explicit Frame(int style)
    {
        window.setAccessibleName(QStringLiteral("Shortcut recorder"));
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(12, 12, 12, 12);
        recorder = new KNVTShortcutRecorderControl(&window);
        recorder->setStyle(style);
        recorder->setMinimumWidth(180);
        layout->addWidget(recorder);
    }
    void set() { recorder->setKeyCombo({0x120000, 31}); }
    void record() { recorder->cell()->performKeyEquivalent({49, 0, QStringLiteral(" "), QStringLiteral(" ")}); }
    QPointF removeCentre() const { return recorder->cell()->removeButtonRectForFrame(recorder->rect()).center(); }
    QPointF snapbackCentre() const { return recorder->cell()->snapbackRectForFrame(recorder->rect()).center(); }
};

void saveStyle(knvt::test::ScreenshotWriter &writer, int style, const QString &prefix)
{
    {
        Frame frame(style);
        writer.save(prefix + QStringLiteral("idle-empty"), &frame.window);
    }
    {
        Frame frame(style);
        frame.set();
        writer.save(prefix + QStringLiteral("idle-set"), &frame.window);
        frame.recorder->cell()->mouseEntered();
        writer.save(prefix + QStringLiteral("idle-set-remove-rollover"), &frame.window);
        frame.recorder->cell()->mouseDown(frame.removeCentre());
        frame.recorder->cell()->mouseDragged(frame.removeCentre());
        writer.save(prefix + QStringLiteral("idle-set-remove-pressed"), &frame.window);
    }
    {
        Frame frame(style);
        frame.set();
        frame.record();
        writer.save(prefix + QStringLiteral("recording"), &frame.window);
        frame.recorder->cell()->flagsChanged(0x100000 | 0x80000);
        writer.save(prefix + QStringLiteral("recording-live-modifiers"), &frame.window);
        frame.recorder->cell()->flagsChanged(0);
        frame.recorder->cell()->mouseEntered();
        writer.save(prefix + QStringLiteral("recording-over-snapback"), &frame.window);
        frame.recorder->cell()->mouseDown(frame.snapbackCentre());
        frame.recorder->cell()->mouseDragged(frame.snapbackCentre());
        writer.save(prefix + QStringLiteral("recording-snapback-pressed"), &frame.window);
    }
    if (style == KNVTShortcutRecorderStyleSliding) {
        Frame frame(style);
        frame.set();
        frame.recorder->setAnimates(true);
        frame.record();
        for (int tick = 0; tick < 5; ++tick)
            frame.recorder->cell()->transitionTick();
        writer.save(prefix + QStringLiteral("sliding-halfway"), &frame.window);
    }
    {
        Frame frame(style);
        frame.set();
        frame.recorder->setEnabled(false);
        writer.save(prefix + QStringLiteral("disabled"), &frame.window);
    }
}

} // namespace

KNVT_SCREENSHOTS(ShortcutRecorder)
{
    saveStyle(writer, KNVTShortcutRecorderStyleTinted, QStringLiteral("tinted-"));
    saveStyle(writer, KNVTShortcutRecorderStyleSliding, QStringLiteral("sliding-"));
}

KNVT_SCREENSHOTS(ShortcutGlyphs)
{
    const QString names[] = {QStringLiteral("KNVTSnapback"), QStringLiteral("KNVTRemoveShortcut"),
                             QStringLiteral("KNVTRemoveShortcutRollover"), QStringLiteral("KNVTRemoveShortcutPressed")};
    for (const qreal scale : {1.0, 2.0}) {
        // On a mid-blue background, each image at its size and, enlarged eight times, as its pixels are.
        QImage sheet(QSize(4 * 130, 150) * scale, QImage::Format_ARGB32);
        sheet.setDevicePixelRatio(scale);
        sheet.fill(QColor(70, 110, 190));
        QPainter painter(&sheet);
        for (int i = 0; i < 4; ++i) {
            const QIcon icon = KNVTShortcutImageProvider::supportingImageWithName(names[i]);
            icon.paint(&painter, QRect(i * 130 + 8, 8, 14, 14));
            const QImage pixels = icon.pixmap(QSize(14, 14), scale).toImage();
            painter.drawImage(QRectF(i * 130 + 8, 30, 112, 112), pixels);
        }
        painter.end();
        QLabel label;
        label.setAccessibleName(QStringLiteral("Recorder glyphs"));
        label.setPixmap(QPixmap::fromImage(sheet));
        writer.save(scale == 1.0 ? QStringLiteral("1x") : QStringLiteral("2x"), &label);
    }
}

KNVT_SCREENSHOTS(ShortcutAlert)
{
    QMenu menu;
    menu.addAction(QStringLiteral("Open\u2026"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    KNVTShortcutValidator validator;
    KNVTShortcutError error;
    validator.isKeyCodeTakenInMenu(31, 0x100, menu.actions(), &error);
    QList<QAbstractButton *> buttons;
    const std::unique_ptr<QMessageBox> box(
        knvt::MessageBoxAlertPresenter::createMessageBox(alertWithNonRecoverableError(&error), &buttons));
    writer.save(QStringLiteral("menu-item"), box.get());
}
