#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>

#include <functional>
#include <optional>

class QAbstractItemView;
class QMouseEvent;

namespace knvt {

// Keeps the second click of a double click away from the buttons a list's rows paint (a completion box, Accept,
// Delete). A click on such a button may take its row away at once (a completed task moves under Completed, an
// answered invitation goes), and the row sliding up takes the second click, whose button would then act on an object
// the user never aimed at. The view still gets the double click when it lands on the row the first click was on and
// off its buttons, so that a double click on a row opens it as before.
//
// Installed on the view's viewport; it lives as long as the view.
class SecondClickGuard : public QObject
{
    Q_OBJECT

public:
    // Whether `position` (in the viewport) lies on a button that the row at `row` paints.
    using ButtonHitTest = std::function<bool(const QModelIndex &row, const QPoint &position)>;

    // Without `onButton`, the second click is kept only from a row other than the first click's; the row's own
    // delegate then must not act on a double click on its buttons.
    static SecondClickGuard *install(QAbstractItemView *view, ButtonHitTest onButton = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SecondClickGuard(QAbstractItemView *view, ButtonHitTest onButton);
    struct Release
    {
        quint64 timestamp = 0;
        QPoint position;
    };
    // A press soon after the last release and close to it: the window system's second click of a double click.
    bool isSecondClick(const QMouseEvent &press) const;

    QAbstractItemView *m_view;
    // Kept apart from the view: the viewport's last events come while the view is being destroyed, when the view may
    // no longer be asked for it.
    QObject *m_viewport;
    ButtonHitTest m_onButton;
    // The row under the first click, followed wherever that click moved it.
    QPersistentModelIndex m_firstClickRow;
    bool m_swallowingRelease = false;
    std::optional<Release> m_lastRelease;
};

} // namespace knvt
