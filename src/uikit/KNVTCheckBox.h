#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QMarginsF>
#include <QPainterPath>

// Rows set the tick for a completed item and the cross for a cancelled one.
enum KNVTCheckBoxState : int {
    KNVTCheckBoxStateNone = 0,
    KNVTCheckBoxStateTick = 1,
    KNVTCheckBoxStateCross = 2,
};

// The round completion check box of the task, project and area rows: an empty circle, a filled circle with a white
// tick, or a filled circle with a white cross, all in the tint colour. Pressing it does not change the state; the
// owner hears clicked() and sets the state from the item. While disabled, or while the mouse is held down on it, it
// is drawn light grey instead of tinted.
//
// The drawing is kept as the circle's fill and border and the icon's outline, refreshed by every setter; a state
// outside the three keeps the fill and outline it had.
class KNVTCheckBox : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(int checkBoxState READ checkBoxState WRITE setCheckBoxState)
    Q_PROPERTY(QColor tintColor READ tintColor WRITE setTintColor)
    Q_PROPERTY(QMarginsF contentEdgeInsets READ contentEdgeInsets WRITE setContentEdgeInsets)
    Q_PROPERTY(bool highlighted READ isHighlighted)
    Q_PROPERTY(QColor circleBorderColor READ circleBorderColor)
    Q_PROPERTY(QColor circleBackgroundColor READ circleBackgroundColor)
    Q_PROPERTY(QColor iconStrokeColor READ iconStrokeColor)
    Q_PROPERTY(bool hasIcon READ hasIcon)

public:
    explicit KNVTCheckBox(QWidget *parent = nullptr);

    // The grey of the disabled and pressed look.
    static QColor lightGrayColor();
    static constexpr qreal circleBorderWidth = 1.5;

    int checkBoxState() const { return m_state; }
    void setCheckBoxState(int state);

    QColor tintColor() const { return m_tintColor; }
    void setTintColor(const QColor &color);

    // Kept for the owner; the drawing always fills the bounds.
    QMarginsF contentEdgeInsets() const { return m_contentEdgeInsets; }
    void setContentEdgeInsets(const QMarginsF &insets);

    // The light look of a pressed box.
    bool isHighlighted() const { return m_highlighted; }

    QColor circleBorderColor() const { return m_layers.border; }
    QColor circleBackgroundColor() const { return m_layers.background; }
    QColor iconStrokeColor() const { return m_layers.iconStroke; }
    bool hasIcon() const { return !m_layers.iconPath.isEmpty(); }
    // In the box's coordinates; empty for the empty circle.
    QPainterPath iconPath() const { return m_layers.iconPath; }

    // The outlines of the two icons for a circle of `radius` (half the smaller side of the box).
    static QPainterPath tickPath(qreal radius);
    static QPainterPath crossPath(qreal radius);

    // Draws a check box into `bounds` of any painter, so that painted list rows show the same box. The tick and the
    // cross are filled with `iconColor`: a row on the selection highlight draws a white box whose icon shows the
    // highlight through it.
    static void draw(QPainter &painter, const QRectF &bounds, int state, const QColor &tintColor, bool lightLook,
                     const QColor &iconColor = QColor(Qt::white));

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Layers
    {
        QColor border;
        QColor background;
        QColor iconStroke;
        QColor iconFill = QColor(Qt::white);
        QPainterPath iconPath;
    };

    // Refreshes `layers` for a box of `size`; a state outside the three leaves the fill and the outline alone.
    static void updateLayers(Layers &layers, const QSizeF &size, int state, const QColor &tintColor, bool lightLook);
    static void drawLayers(QPainter &painter, const QRectF &bounds, const Layers &layers);
    void updateView();

    int m_state = KNVTCheckBoxStateNone;
    QColor m_tintColor;
    QMarginsF m_contentEdgeInsets;
    bool m_highlighted = false;
    Layers m_layers;
};
