#include "uikit/KNVTTabBarItemView.h"

#include "uikit/ViewAdditions.h"

#include <QApplication>
#include <QLabel>

namespace {

constexpr int StyledLayout = 1;

} // namespace

KNVTTabBarItemView::KNVTTabBarItemView(QWidget *parent) : KNVTTabBarItemView(0, parent) {}

KNVTTabBarItemView::KNVTTabBarItemView(int style, QWidget *parent) : QWidget(parent), m_style(style)
{
    m_imageView = new QLabel(this);
    m_imageView->setObjectName(QStringLiteral("imageView"));
    m_imageView->setAlignment(Qt::AlignCenter);
    m_imageView->setGeometry(0, 0, 0, 0);

    m_textLabel = new QLabel(this);
    m_textLabel->setObjectName(QStringLiteral("textLabel"));
    m_textLabel->setAlignment(Qt::AlignCenter);
    m_textLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_textLabel->setAutoFillBackground(false);
    QFont font = QApplication::font();
    font.setPixelSize(11);
    font.setBold(true);
    m_textLabel->setFont(font);
    // The palette's secondary grey, for a light and a dark theme alike.
    m_textLabel->setForegroundRole(QPalette::PlaceholderText);
    m_textLabel->setGeometry(0, 0, 0, 0);
}

KNVTTabBarItemView *KNVTTabBarItemView::tabBarItemViewWithStyle(int style)
{
    return new KNVTTabBarItemView(style);
}

void KNVTTabBarItemView::setTitle(const QString &title)
{
    m_title = title.isNull() ? QStringLiteral("") : title;
    m_textLabel->setText(m_title);
    layoutParts();
}

void KNVTTabBarItemView::setImage(const QPixmap &image)
{
    m_image = image;
    applySelection();
}

void KNVTTabBarItemView::setSelectedImage(const QPixmap &selectedImage)
{
    m_selectedImage = selectedImage;
    applySelection();
}

void KNVTTabBarItemView::setImage(const QPixmap &image, const QPixmap &selectedImage)
{
    m_image = image;
    m_selectedImage = selectedImage;
    applySelection();
}

void KNVTTabBarItemView::setUnfinishedImage(const QPixmap &image)
{
    if (m_style == StyledLayout)
        setImage(imageForUnfinishedImage(image, m_style), selectedImageForUnfinishedImage(image, m_style));
    else
        setImage(image, image);
}

QPixmap KNVTTabBarItemView::imageForUnfinishedImage(const QPixmap &image, int style)
{
    (void)style;
    return image;
}

QPixmap KNVTTabBarItemView::selectedImageForUnfinishedImage(const QPixmap &image, int style)
{
    (void)style;
    return image;
}

void KNVTTabBarItemView::setBackgroundView(QWidget *backgroundView)
{
    if (backgroundView == m_backgroundView)
        return;
    delete m_backgroundView.data();
    m_backgroundView = backgroundView;
    if (backgroundView != nullptr)
        knvt::sendSubviewToBack(this, backgroundView);
    applySelection();
}

void KNVTTabBarItemView::setSelectedBackgroundView(QWidget *selectedBackgroundView)
{
    if (selectedBackgroundView == m_selectedBackgroundView)
        return;
    delete m_selectedBackgroundView.data();
    m_selectedBackgroundView = selectedBackgroundView;
    if (selectedBackgroundView != nullptr)
        knvt::sendSubviewToBack(this, selectedBackgroundView);
    applySelection();
}

void KNVTTabBarItemView::setSelected(bool selected, bool animated)
{
    (void)animated;
    m_selected = selected;
    applySelection();
}

void KNVTTabBarItemView::applySelection()
{
    const bool useSelectedImage = m_selected && !m_selectedImage.isNull();
    m_imageView->setPixmap(useSelectedImage ? m_selectedImage : m_image);
    const bool useSelectedBackground = m_selected && m_selectedBackgroundView != nullptr;
    if (m_backgroundView != nullptr)
        m_backgroundView->setVisible(!useSelectedBackground);
    if (m_selectedBackgroundView != nullptr)
        m_selectedBackgroundView->setVisible(useSelectedBackground);
    layoutParts();
}

void KNVTTabBarItemView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void KNVTTabBarItemView::layoutParts()
{
    if (m_style != StyledLayout)
        return;
    const int w = width();
    const int h = height();
    const QRect inset4(4, 4, w - 8, h - 8);
    if (m_backgroundView != nullptr)
        m_backgroundView->setGeometry(inset4);
    if (m_selectedBackgroundView != nullptr)
        m_selectedBackgroundView->setGeometry(inset4);

    const bool hasTitle = !m_title.isEmpty();
    const bool hasImage = !m_image.isNull();
    if (hasTitle && hasImage) {
        // Title along the top, picture filling the rest below it.
        const int labelHeight = m_textLabel->sizeHint().height();
        m_textLabel->setGeometry(6, 6, w - 12, labelHeight);
        m_imageView->setGeometry(6, labelHeight + 10, w - 12, h - labelHeight - 16);
    } else if (hasTitle) {
        m_textLabel->setGeometry(rect().adjusted(8, 8, -8, -8));
        m_imageView->setGeometry(0, 0, 0, 0);
    } else if (hasImage) {
        m_imageView->setGeometry(rect().adjusted(8, 8, -8, -8));
        m_textLabel->setGeometry(0, 0, 0, 0);
    } else {
        m_textLabel->setGeometry(0, 0, 0, 0);
        m_imageView->setGeometry(0, 0, 0, 0);
    }
}
