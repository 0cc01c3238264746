#include "accounts/FormWidgets.h"

#include "uikit/Announcement.h"
#include "uikit/KNVTImageView.h"
#include "uikit/KNVTProgressIndicator.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace knvt {

KNVTProgressIndicator *makeProgressIndicator(const char *objectName)
{
    auto *indicator = new KNVTProgressIndicator;
    indicator->setObjectName(QString::fromLatin1(objectName));
    QSizePolicy policy = indicator->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    indicator->setSizePolicy(policy);
    indicator->hide();
    return indicator;
}

QLabel *makeProgressLabel(const char *objectName)
{
    auto *label = new QLabel;
    label->setObjectName(QString::fromLatin1(objectName));
    // Messages quote user names, addresses and the service's words as they are.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->hide();
    return label;
}

QHBoxLayout *makeProgressRow(KNVTProgressIndicator *indicator, QLabel *label)
{
    auto *row = new QHBoxLayout;
    row->addWidget(indicator, 0, Qt::AlignTop);
    row->addWidget(label, 1);
    return row;
}

AvatarPicker makeAvatarPicker()
{
    AvatarPicker picker;
    picker.imageView = new KNVTImageView;
    picker.imageView->setObjectName(QStringLiteral("avatarImageView"));
    picker.imageView->setFixedSize(72, 72);
    picker.imageView->setCornerRadius(36);
    // The well takes the theme's colours: a button face ringed by the mid grey, on a light or a dark desktop.
    const QPalette palette = QApplication::palette();
    picker.imageView->setBackgroundColor(palette.color(QPalette::Button));
    picker.imageView->setBorderColor(palette.color(QPalette::Mid));
    picker.imageView->setAccessibleName(QCoreApplication::translate("AvatarPicker", "Picture"));
    picker.imageView->setBorderWidth(2);
    picker.button = makeButton(QCoreApplication::translate("AvatarPicker", "Choose Picture..."), "avatarPickerButton");
    picker.layout = new QVBoxLayout;
    picker.layout->addWidget(picker.imageView, 0, Qt::AlignHCenter);
    picker.layout->addWidget(picker.button);
    picker.layout->addStretch(1);
    return picker;
}

QPushButton *makeButton(const QString &title, const char *objectName, bool isDefault)
{
    auto *button = new QPushButton(title);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(isDefault);
    button->setDefault(isDefault);
    return button;
}

void setTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (!widget)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void enableClearButton(QLineEdit *field)
{
    field->setClearButtonEnabled(true);
    const QString title = QCoreApplication::translate("FormWidgets", "Clear");
    // The field shows the button through an action of its own, and the button reads its name from nowhere else.
    const QList<QAction *> actions = field->actions();
    for (QAction *action : actions) {
        if (action->objectName() == QLatin1String("_q_qlineeditclearaction"))
            action->setText(title);
    }
    const QList<QToolButton *> buttons = field->findChildren<QToolButton *>();
    for (QToolButton *button : buttons)
        button->setAccessibleName(title);
}

void startProgress(KNVTProgressIndicator *indicator, QLabel *label, const QString &text)
{
    indicator->show();
    indicator->startAnimation();
    label->setText(text);
    label->show();
}

void stopProgress(KNVTProgressIndicator *indicator, QLabel *label, const QString &text)
{
    indicator->stopAnimation();
    indicator->hide();
    label->setText(text.isNull() ? QStringLiteral("") : text);
    label->setVisible(!text.isEmpty());
}

void announceMessage(QLabel *message)
{
    if (!message->text().isEmpty() && !message->isHidden())
        Announcement::announce(message, message->text());
}

void focusMessage(QLabel *message)
{
    // The reader reads the label it is told the focus went to: announced as well, the sentence would be heard twice.
    message->setFocus(Qt::OtherFocusReason);
}

QLineEdit *holdKeyboardInField(const QList<QLineEdit *> &fields, QLineEdit *fallback, QLabel *message)
{
    const QWidget *focused = fallback->window()->focusWidget();
    QLineEdit *waiting = fallback;
    for (QLineEdit *field : fields) {
        if (field == focused)
            waiting = field;
    }
    waiting->setReadOnly(true);
    if (focused != waiting && focused != nullptr && fallback->parentWidget()->isAncestorOf(focused))
        waiting->setFocus(Qt::OtherFocusReason);
    for (QLineEdit *field : fields) {
        if (field != waiting)
            field->setEnabled(false);
    }
    announceMessage(message);
    return waiting;
}

void releaseFields(const QList<QLineEdit *> &fields, QLabel *message)
{
    for (QLineEdit *field : fields) {
        field->setEnabled(true);
        field->setReadOnly(false);
    }
    announceMessage(message);
}

void holdKeyboardInPassword(QLineEdit *password, QLabel *message)
{
    holdKeyboardInField({password}, password, message);
}

void returnToPassword(QLineEdit *password, QLabel *message)
{
    password->setReadOnly(false);
    password->setFocus(Qt::OtherFocusReason);
    password->selectAll();
    announceMessage(message);
}

} // namespace knvt
