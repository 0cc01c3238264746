#include "app/KNVTNoTaskViewController.h"

#include <QLabel>
#include <QVBoxLayout>

KNVTNoTaskViewController::KNVTNoTaskViewController(QWidget *parent)
    : QWidget(parent), m_titleTextField(new QLabel(this))
{
    setObjectName(QStringLiteral("KNVTNoTaskViewController"));
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    m_titleTextField->setAlignment(Qt::AlignCenter);
    QFont font = m_titleTextField->font();
    font.setPixelSize(18);
    m_titleTextField->setFont(font);
    // The palette's secondary grey, for a light and a dark theme alike.
    m_titleTextField->setForegroundRole(QPalette::PlaceholderText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_titleTextField);
}
