// An alert opens whole: on the screen, wide enough to read its texts at a comfortable measure, and tall enough for
// every line of them.
#include "uikit/MessageBoxAlertPresenter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using knvt::AlertPresenter;
using knvt::MessageBoxAlertPresenter;

// The longest text an alert is given: the sign-in's answer while the sync service is down for maintenance.
const QString Maintenance = QStringLiteral("We are unable to verify your username and password at the moment, as the "
                                           "service is currently down for maintenance. Please try again in a few "
                                           "minutes.");

std::unique_ptr<QMessageBox> shown(const AlertPresenter::Request &request)
{
    QList<QAbstractButton *> buttons;
    std::unique_ptr<QMessageBox> box(MessageBoxAlertPresenter::createMessageBox(request, &buttons));
    // As exec() shows it, without waiting for an answer.
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

// What of the box's texts does not show in full, one line a label.
QStringList clippedTexts(QMessageBox &box)
{
    QStringList clipped;
    for (QLabel *label : box.findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                            : label->sizeHint().width() <= label->width();
        if (!fits || !box.rect().contains(label->geometry().translated(label->parentWidget()->mapTo(&box, QPoint()))))
            clipped << label->text();
    }
    return clipped;
}

TEST(AlertSize, TheMaintenanceMessageShowsWholeAtAReadableWidthOnTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const bool asTitle : {false, true}) {
        AlertPresenter::Request request{.opener = knvt::Opener::User};
        request.title = asTitle ? Maintenance : QStringLiteral("Unable to Sign In");
        request.message = asTitle ? QString() : Maintenance;
        request.buttonTitles = {QStringLiteral("OK")};
        request.critical = true;
        request.showsSuppressionButton = !asTitle;
        const std::unique_ptr<QMessageBox> box = shown(request);

        EXPECT_TRUE(clippedTexts(*box).isEmpty()) << clippedTexts(*box).join(" | ").toStdString();
        EXPECT_TRUE(screen.contains(box->frameGeometry())) << "as title: " << asTitle;
        // The long text is read in lines of about sixty characters, not squeezed into the width of a short title: a
        // line holds at least fifty of its characters as the label's font draws them, measured by the text itself
        // rather than by the average character width a font states.
        auto *label = box->findChild<QLabel *>(asTitle ? QStringLiteral("qt_msgbox_label")
                                                       : QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_NE(label, nullptr);
        const int whole = QFontMetrics(label->font()).horizontalAdvance(Maintenance);
        const int measure = std::min(whole, 50 * whole / int(Maintenance.size()));
        EXPECT_GE(label->width(), measure) << "as title: " << asTitle;
        EXPECT_GE(box->width(), box->findChild<QCheckBox *>() ? box->findChild<QCheckBox *>()->sizeHint().width() : 0);
    }
}

TEST(AlertSize, AShortAlertStaysSmallAndAWideButtonRowIsNeverCut)
{
    AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.title = QStringLiteral("Delete Tag?");
    request.message = QStringLiteral("This action cannot be undone.");
    request.buttonTitles = {QStringLiteral("Mark Tasks as Completed"), QStringLiteral("Mark as Cancelled"),
                            QStringLiteral("Cancel")};
    const std::unique_ptr<QMessageBox> box = shown(request);
    EXPECT_TRUE(clippedTexts(*box).isEmpty()) << clippedTexts(*box).join(" | ").toStdString();
    for (QAbstractButton *button : box->buttons()) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        EXPECT_TRUE(
            box->rect().contains(button->geometry().translated(button->parentWidget()->mapTo(box.get(), QPoint()))))
            << button->text().toStdString();
    }
    EXPECT_LT(box->width(), QGuiApplication::primaryScreen()->availableGeometry().width() / 2 + 100)
        << "a short alert is no wider than its buttons need";
}

} // namespace
