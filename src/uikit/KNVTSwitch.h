#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QRectF>

class QPainter;
class QVariantAnimation;

// An on/off switch: a rounded track that fills with the tint colour when on and a round white knob that slides from
// one end to the other, stretches while the mouse is down on it and can be dragged. Only a change made with the
// mouse emits action(); setOn() never does, so an owner that mirrors a setting into the switch does not hear its own
// change back.
class KNVTSwitch : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn NOTIFY onChanged)
    Q_PROPERTY(QColor tintColor READ tintColor WRITE setTintColor NOTIFY tintColorChanged)
    Q_PROPERTY(bool active READ isActive WRITE setActive)
    Q_PROPERTY(bool dragged READ hasDragged WRITE setDragged)
    Q_PROPERTY(bool draggingTowardsOn READ isDraggingTowardsOn WRITE setDraggingTowardsOn)
    Q_PROPERTY(QRectF knobFrame READ knobFrame)
    Q_PROPERTY(QColor trackColor READ trackColor)
    Q_PROPERTY(QColor trackBorderColor READ trackBorderColor)
    Q_PROPERTY(qreal drawnOpacity READ drawnOpacity)

public:
    explicit KNVTSwitch(QWidget *parent = nullptr);
    ~KNVTSwitch() override;

    // Tests turn the knob's slide off so that every change shows at once.
    static bool animationsEnabled();
    static void setAnimationsEnabled(bool enabled);

    // The track colour when on while no tint was set: a fresh green.
    static QColor defaultTintColor();

    bool isOn() const { return m_on; }
    void setOn(bool on);

    // Never invalid: the default tint until one is set; an invalid colour goes back to the default.
    QColor tintColor() const;
    void setTintColor(const QColor &color);

    // The mouse is down on the switch.
    bool isActive() const { return m_active; }
    void setActive(bool active) { m_active = active; }
    // The mouse moved while down.
    bool hasDragged() const { return m_dragged; }
    void setDragged(bool dragged) { m_dragged = dragged; }
    // While dragging: the pointer is in the right half.
    bool isDraggingTowardsOn() const { return m_draggingTowardsOn; }
    void setDraggingTowardsOn(bool towardsOn) { m_draggingTowardsOn = towardsOn; }

    static qreal knobHeightForSize(const QSizeF &size);
    // Where the knob belongs for the current size and state, whatever is drawn at the moment.
    QRectF rectForKnob() const;

    // What is drawn at the moment (in the middle of a slide, somewhere between two states).
    QRectF knobFrame() const { return m_shown.knob; }
    QColor trackColor() const { return m_shown.trackFill; }
    QColor trackBorderColor() const { return m_shown.trackBorder; }
    qreal drawnOpacity() const { return m_shown.opacity; }

    QSize sizeHint() const override;

signals:
    void onChanged(bool on);
    void tintColorChanged(const QColor &color);
    // The user changed the value with the mouse; sent after the new value is set.
    void action(KNVTSwitch *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Look
    {
        QRectF knob;
        QColor trackFill;
        QColor trackBorder;
        qreal opacity = 1.0;
    };

    bool displaysOn() const { return m_dragged ? m_draggingTowardsOn : m_on; }
    Look targetLook() const;
    void reloadLayerSize();
    void reloadLayer();
    void applyProgress(qreal t);
    void drawContents(QPainter &painter) const;

    bool m_on = false;
    QColor m_tintColor;
    bool m_active = false;
    bool m_dragged = false;
    bool m_draggingTowardsOn = false;

    Look m_from;
    Look m_target;
    Look m_shown;
    QVariantAnimation *m_animation = nullptr;
};
