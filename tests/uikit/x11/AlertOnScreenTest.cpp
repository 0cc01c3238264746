// Every alert opens wholly on the screen of the X server, its window manager's title bar included, wherever it was
// placed: centred on the window it concerns, or, waiting, moved clear of the field being typed in.

#include "uikit/AlertPresenter.h"
#include "uikit/KeyboardOwner.h"

#include "support/WaitUntil.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

bool framed(const QWidget *window)
{
    return window->frameGeometry() != window->geometry();
}

// A window of the application at `geometry` of the screen, framed by the window manager, with the keyboard in a text
// field at `field` of it (none when empty).
std::unique_ptr<QWidget> windowAt(const QRect &geometry, const QRect &field)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Garden"));
    auto *text = new QPlainTextEdit(window.get());
    text->setGeometry(field);
    text->setVisible(!field.isEmpty());
    window->setGeometry(geometry);
    knvt::KeyboardOwner::open(window.get(), knvt::Opener::User);
    EXPECT_TRUE(knvt::test::waitUntil([&window] { return framed(window.get()) && window->isActiveWindow(); }));
    if (!field.isEmpty())
        text->setFocus();
    return window;
}

} // namespace

TEST(AlertOnScreen, EveryAlertOpensWhollyOnScreenWithItsTitleBar)
{
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QStringLiteral("xcb") || qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the X server of scripts/with-x11";
    knvt::KeyboardOwner::install();
    knvt::AlertPresenter::setShared(nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QStringList typed;
    for (int line = 1; line <= 12; ++line)
        typed << QStringLiteral("Coat %1 of the fence, the north side first").arg(line);
    const struct
    {
        const char *name;
        QRect window;
        QRect field;
        knvt::Opener opener;
        QString typed;
    } rows[] = {
        // Below the field there is no room, above it only for the alert without its title bar.
        {"an alert of the application's, moved above a tall field near the top", screen.adjusted(0, 0, 0, -40),
         QRect(300, 115, 680, 590), knvt::Opener::Application, QString()},
        {"the user's alert with what was typed, over a small window at the top",
         QRect(screen.center().x() - 150, screen.top(), 300, 100), QRect(), knvt::Opener::User,
         typed.join(QLatin1Char('\n'))},
        {"the application's alert with what was typed, over a small window at the bottom",
         QRect(screen.center().x() - 150, screen.bottom() - 140, 300, 100), QRect(), knvt::Opener::Application,
         typed.join(QLatin1Char('\n'))},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::unique_ptr<QWidget> window = windowAt(row.window, row.field);
        // Where the alert stands framed by the window manager: once it stands wholly on the screen, or where it
        // stood last when it never did in a generous while. Qt learns the frame and the place the window manager gave
        // it in separate events, later on a busy machine: a framed box can read for a moment at a place it never
        // stood.
        const auto opened = std::make_shared<QRect>();
        auto *watch = new QTimer;
        const QDeadlineTimer deadline(std::chrono::seconds(20));
        QObject::connect(watch, &QTimer::timeout, watch, [watch, opened, deadline, screen] {
            for (QWidget *shown : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(shown);
                if (box == nullptr || !box->isVisible())
                    continue;
                if (framed(box))
                    *opened = box->frameGeometry();
                if (!screen.contains(*opened) && !deadline.hasExpired())
                    continue;
                watch->deleteLater();
                box->close();
                return;
            }
        });
        watch->start(10);
        knvt::AlertPresenter::shared().runModal({.title = QStringLiteral("The task “Paint” was deleted elsewhere."),
                                                 .message = QStringLiteral("Your changes were not saved."),
                                                 .typed = row.typed,
                                                 .buttonTitles = {QStringLiteral("OK")},
                                                 .opener = row.opener,
                                                 .concerns = window.get()});
        EXPECT_TRUE(screen.contains(*opened))
            << "opened at " << opened->x() << "," << opened->y() << " " << opened->width() << "x" << opened->height();
    }
}
