#include "uikit/MessageBoxAlertPresenter.h"

#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace knvt {

namespace {

// The box sizes itself to the width of its main text and wraps the explanation into that: a short title would leave
// a long explanation in a narrow column of many lines. The explanation asks for the width of its text, up to a
// comfortable line of about sixty characters, and never more than the screen has room for.
void widenExplanation(QMessageBox *box)
{
    auto *explanation = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    if (explanation == nullptr || explanation->text().isEmpty())
        return;
    const QFontMetrics metrics(explanation->font());
    const QScreen *screen = box->screen() != nullptr ? box->screen() : QGuiApplication::primaryScreen();
    const int room = screen != nullptr ? screen->availableGeometry().width() / 2 : 400;
    const int measure =
        std::min({metrics.horizontalAdvance(explanation->text()), 60 * metrics.averageCharWidth(), room});
    explanation->setMinimumWidth(measure);
}

// What the user typed, under the explanation and above the buttons: a read-only area as wide as the explanation and
// at most a dozen lines high (less on a low screen), which scrolls for more and lets the text be selected and copied.
// The box grows with it only that far, so its buttons stay on the screen whatever was typed. QMessageBox lays its
// parts out in a grid of its own, rebuilt by its setters; this runs after them, moving the buttons one row down.
void addTypedText(QMessageBox *box, const QString &typed)
{
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    auto *buttonBox = box->findChild<QDialogButtonBox *>();
    auto *explanation = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    if (grid == nullptr || buttonBox == nullptr || typed.isEmpty())
        return;
    auto *area = new QPlainTextEdit(box);
    area->setObjectName(QStringLiteral("typedTextView"));
    area->setPlainText(typed);
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area->setAccessibleName(QApplication::translate("MessageBoxAlertPresenter", "What you typed"));
    area->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const QFontMetrics metrics(area->font());
    const QScreen *screen = box->screen() != nullptr ? box->screen() : QGuiApplication::primaryScreen();
    const int room = screen != nullptr ? screen->availableGeometry().height() / 4 : 200;
    const int lines = std::clamp(int(typed.count(QLatin1Char('\n'))) + 1, 3, 12);
    const int frame = 2 * (area->frameWidth() + int(area->document()->documentMargin())) + 2;
    area->setFixedHeight(std::min(lines * metrics.lineSpacing() + frame, room));
    area->setMinimumWidth(std::min(40 * metrics.averageCharWidth(), 2 * room));
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(grid->indexOf(buttonBox), &row, &column, &rowSpan, &columnSpan);
    int textColumn = column;
    if (explanation != nullptr && grid->indexOf(explanation) >= 0) {
        int explanationRow = 0;
        int explanationRowSpan = 0;
        int explanationColumnSpan = 0;
        grid->getItemPosition(grid->indexOf(explanation), &explanationRow, &textColumn, &explanationRowSpan,
                              &explanationColumnSpan);
    }
    grid->removeWidget(buttonBox);
    grid->addWidget(area, row, textColumn, 1, column + columnSpan - textColumn);
    grid->addWidget(buttonBox, row + 1, column, rowSpan, columnSpan);
}

// The margins of the frame the window manager draws around `window` (its title bar above it): the window's own once
// the window manager has framed it, else those of another framed window of the application, which the same window
// manager frames alike. None where the window system draws no frame.
QMargins frameAround(const QWidget *window)
{
    const auto margins = [](const QWidget *framed) {
        const QRect client = framed->geometry();
        const QRect outer = framed->frameGeometry();
        return QMargins(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                        outer.bottom() - client.bottom());
    };
    if (const QMargins own = margins(window); !own.isNull())
        return own;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *other : windows) {
        const Qt::WindowType type = other->windowType();
        if (other != window && other->isVisible() && (type == Qt::Window || type == Qt::Dialog))
            if (const QMargins theirs = margins(other); !theirs.isNull())
                return theirs;
    }
    return {};
}

// Wherever the alert was placed (centred on the window it concerns, or moved clear of the field being typed in), it
// lies wholly on its screen, the window manager's frame with it: a title bar above the top edge could not be dragged,
// and the alert's text would start at the very edge of the screen.
void keepWhollyOnScreen(QWidget *box)
{
    const QScreen *screen = box->screen() != nullptr ? box->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr || !box->isVisible())
        return;
    const QRect room = screen->availableGeometry();
    const QMargins frame = frameAround(box);
    const QRect outer = box->geometry().marginsAdded(frame);
    QRect fitted = outer;
    // The top left stays on the screen first, so that the title bar shows whatever the size.
    fitted.moveLeft(std::max(room.left(), std::min(fitted.left(), room.right() - fitted.width() + 1)));
    fitted.moveTop(std::max(room.top(), std::min(fitted.top(), room.bottom() - fitted.height() + 1)));
    if (fitted != outer)
        box->setGeometry(fitted.marginsRemoved(frame));
}

} // namespace

QMessageBox *MessageBoxAlertPresenter::createMessageBox(const Request &request, QList<QAbstractButton *> *buttons)
{
    auto *box = new QMessageBox;
    box->setWindowModality(Qt::ApplicationModal);
    box->setText(request.title);
    box->setInformativeText(request.message);
    // Alerts quote titles and names the user typed or the service sent: they read as written, never as markup. The
    // box's own format reaches only the label of the title, so every label of the box is told.
    box->setTextFormat(Qt::PlainText);
    for (QLabel *label : box->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    const QIcon appIcon = QApplication::windowIcon();
    if (request.critical)
        box->setIcon(QMessageBox::Warning);
    else if (!appIcon.isNull())
        box->setIconPixmap(appIcon.pixmap(64, 64));
    const QString cancel = QApplication::translate("MessageBoxAlertPresenter", "Cancel");
    for (const QString &title : request.buttonTitles) {
        // Only a "Cancel" button answers Escape, as alerts do; every other button is an ordinary choice.
        const bool isCancel = title == cancel;
        QPushButton *button = box->addButton(title, isCancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (isCancel)
            box->setEscapeButton(button);
        buttons->append(button);
    }
    if (!buttons->isEmpty())
        box->setDefaultButton(static_cast<QPushButton *>(buttons->first()));
    if (request.showsSuppressionButton)
        box->setCheckBox(new QCheckBox(QApplication::translate("MessageBoxAlertPresenter", "Do not ask again")));
    widenExplanation(box);
    addTypedText(box, request.typed);
    return box;
}

qsizetype MessageBoxAlertPresenter::modalResponse(const QList<QAbstractButton *> &buttons,
                                                  const QAbstractButton *clicked)
{
    const qsizetype position = clicked == nullptr ? -1 : buttons.indexOf(clicked);
    return position < 0 ? Stopped : FirstButtonResponse + position;
}

AlertPresenter::Response MessageBoxAlertPresenter::runModal(const Request &request)
{
    // The keyboard goes back to the control it left when the alert ends, as after every window (KeyboardOwner).
    QList<QAbstractButton *> buttons;
    const QPointer<QMessageBox> box(createMessageBox(request, &buttons));
    // Without any button QMessageBox would add an OK button of its own, which is not one of ours.
    if (buttons.isEmpty())
        buttons.append(box->addButton(QMessageBox::Ok));
    // Run as exec() would, but through the one door of every window: an alert the application raised by itself
    // waits beside the user's work until the user goes to it.
    QEventLoop answered;
    QObject::connect(box, &QDialog::finished, &answered, &QEventLoop::quit);
    QObject::connect(box, &QObject::destroyed, &answered, &QEventLoop::quit);
    // The only copy of what was typed in a form that went away underneath, until the user answers.
    if (request.opener == Opener::Application)
        UnsavedTyping::holdGivenBack(box, request.typed);
    KeyboardOwner::open(box, request.opener, request.concerns);
    keepWhollyOnScreen(box);
    answered.exec(QEventLoop::DialogExec);
    Response response;
    if (box != nullptr) {
        response.modalResponse = modalResponse(buttons, box->clickedButton());
        response.suppressed = box->checkBox() != nullptr && box->checkBox()->isChecked();
        delete box.data();
    }
    return response;
}

} // namespace knvt
