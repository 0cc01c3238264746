#include "uikit/KNVTTabBar.h"

#include "uikit/KNVTTabBarDataSource.h"
#include "uikit/KNVTTabBarDelegate.h"
#include "uikit/KNVTTabBarItemView.h"
#include "uikit/ViewAdditions.h"

#include <QEvent>
#include <QMouseEvent>

#include <cmath>

namespace {

constexpr int StyledLayout = 1;

} // namespace

KNVTTabBar::KNVTTabBar(QWidget *parent) : KNVTTabBar(0, parent) {}

KNVTTabBar::KNVTTabBar(int style, QWidget *parent) : QWidget(parent), m_style(style) {}

KNVTTabBar::~KNVTTabBar() = default;

void KNVTTabBar::setSelectedTabIndex(int index)
{
    if (index == m_selectedTabIndex)
        return;
    m_selectedTabIndex = index;
    for (int i = 0; i < m_itemViews.size(); ++i)
        m_itemViews.at(i)->setSelected(i == index, true);
    emit selectedTabIndexChanged(index);
    if (m_delegate != nullptr)
        m_delegate->tabBarDidSelectTabAtIndex(this, index);
}

void KNVTTabBar::setBackgroundView(QWidget *backgroundView)
{
    if (backgroundView == m_backgroundView)
        return;
    delete m_backgroundView.data();
    m_backgroundView = backgroundView;
    if (backgroundView != nullptr)
        knvt::insertSubview(this, backgroundView, 0);
    layoutTabs();
}

void KNVTTabBar::reloadTabs()
{
    if (parentWidget() == nullptr || m_dataSource == nullptr)
        return;
    qDeleteAll(m_itemViews);
    m_itemViews.clear();
    const int count = qMax(0, m_dataSource->numberOfTabsInTabBar(this));
    if (m_selectedTabIndex >= count)
        setSelectedTabIndex(0);
    for (int index = 0; index < count; ++index) {
        KNVTTabBarItemView *itemView = m_dataSource->tabBarItemViewForTabAtIndex(this, index);
        // Keep the tab positions in step with the indexes even when the data source has no view for one.
        if (itemView == nullptr)
            itemView = new KNVTTabBarItemView(m_style);
        m_itemViews.append(itemView);
        itemView->setParent(this);
        itemView->show();
        itemView->setSelected(index == m_selectedTabIndex, true);
    }
    layoutTabs();
}

void KNVTTabBar::reloadTabAtIndex(int index)
{
    (void)index;
    reloadTabs();
}

int KNVTTabBar::tabIndexAt(qreal x, qreal width, int count)
{
    if (count <= 0 || width <= 0)
        return -1;
    const int index = static_cast<int>(std::floor(x * count / width));
    return qBound(0, index, count - 1);
}

bool KNVTTabBar::event(QEvent *event)
{
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::ParentChange)
        reloadTabs();
    return result;
}

void KNVTTabBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutTabs();
}

void KNVTTabBar::layoutTabs()
{
    const qsizetype count = m_itemViews.size();
    const qreal w = width();
    for (qsizetype i = 0; i < count; ++i) {
        const int left = qRound(i * w / count);
        const int right = qRound((i + 1) * w / count);
        m_itemViews.at(i)->setGeometry(left, 0, right - left, height());
    }
    if (m_style == StyledLayout && m_backgroundView != nullptr)
        m_backgroundView->setGeometry(rect());
}

bool KNVTTabBar::insideBounds(const QPointF &point) const
{
    return point.x() >= 0 && point.x() <= width() && point.y() >= 0 && point.y() <= height();
}

void KNVTTabBar::mousePressEvent(QMouseEvent *event)
{
    if (insideBounds(event->position()))
        m_tracking = true;
    event->accept();
}

void KNVTTabBar::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_tracking)
        return;
    m_tracking = false;
    if (!insideBounds(event->position()))
        return;
    const int index = tabIndexAt(event->position().x(), width(), numberOfTabs());
    if (index < 0)
        return;
    if (m_delegate != nullptr && !m_delegate->tabBarShouldSelectTabAtIndex(this, index))
        return;
    setSelectedTabIndex(index);
}
