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
    m_titleTextField->setStyleSheet(QStringLiteral("color: #8a8a8a;"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_titleTextField);
}
