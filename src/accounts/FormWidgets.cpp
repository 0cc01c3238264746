#include "accounts/FormWidgets.h"

#include "uikit/KNVTImageView.h"
#include "uikit/KNVTProgressIndicator.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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
    picker.imageView->setBackgroundColor(QColor(225, 225, 230));
    picker.imageView->setBorderColor(QColor(190, 190, 196));
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

} // namespace knvt
