#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class KNVTTabBarDataSource;
class KNVTTabBarDelegate;
class KNVTTabBarItemView;

// A row of equal-width tabs from a data source; a click (press and release inside the bar) selects the tab under
// the release. The tabs are rebuilt by reloadTabs(), which also runs when the bar is put into a parent.
class KNVTTabBar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int selectedTabIndex READ selectedTabIndex WRITE setSelectedTabIndex NOTIFY selectedTabIndexChanged)
    Q_PROPERTY(int style READ style CONSTANT)
    Q_PROPERTY(int numberOfTabs READ numberOfTabs)

public:
    explicit KNVTTabBar(QWidget *parent = nullptr);
    explicit KNVTTabBar(int style, QWidget *parent = nullptr);
    ~KNVTTabBar() override;

    int selectedTabIndex() const { return m_selectedTabIndex; }
    // Selects the tab and tells the delegate; nothing when the index is already selected.
    void setSelectedTabIndex(int index);

    int style() const { return m_style; }

    QWidget *backgroundView() const { return m_backgroundView; }
    // Replaces (and deletes) the old view; the bar owns the new one and keeps it behind the tabs.
    void setBackgroundView(QWidget *backgroundView);

    // Not owned; clear them before they go away.
    KNVTTabBarDataSource *tabBarDataSource() const { return m_dataSource; }
    void setTabBarDataSource(KNVTTabBarDataSource *dataSource) { m_dataSource = dataSource; }
    KNVTTabBarDelegate *tabBarDelegate() const { return m_delegate; }
    void setTabBarDelegate(KNVTTabBarDelegate *delegate) { m_delegate = delegate; }

    // Rebuilds every tab from the data source; only while the bar has a parent and a data source. A selection past
    // the new last tab goes back to the first.
    void reloadTabs();
    void reloadTabAtIndex(int index);

    const QList<KNVTTabBarItemView *> &tabBarItemViews() const { return m_itemViews; }
    int numberOfTabs() const { return static_cast<int>(m_itemViews.size()); }

    // The tab under x in a bar `width` wide with `count` tabs; -1 when there is no tab to hit. A release on the
    // right edge belongs to the last tab.
    static int tabIndexAt(qreal x, qreal width, int count);

signals:
    void selectedTabIndexChanged(int index);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool insideBounds(const QPointF &point) const;
    void layoutTabs();

    int m_style = 0;
    int m_selectedTabIndex = 0;
    QList<KNVTTabBarItemView *> m_itemViews;
    QPointer<QWidget> m_backgroundView;
    KNVTTabBarDataSource *m_dataSource = nullptr;
    KNVTTabBarDelegate *m_delegate = nullptr;
    bool m_tracking = false;
};
