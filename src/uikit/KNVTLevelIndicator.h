#pragma once

#include <QColor>
#include <QRectF>
#include <QStringList>
#include <QWidget>

// A row of equal segments showing a whole value from 0 (none lit) to maximumValue (all lit), set by the user with a
// click or the arrow keys: a click in a segment makes its number the value, a click on the lit last segment turns
// it off again, Right and Up step up, Left and Down step down, Home and End go to the ends. The task form's priority
// control is one with three segments.
class KNVTLevelIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged USER true)
    Q_PROPERTY(int maximumValue READ maximumValue WRITE setMaximumValue)

public:
    explicit KNVTLevelIndicator(QWidget *parent = nullptr);

    static constexpr int DefaultMaximumValue = 3;
    static constexpr int SegmentWidth = 14;
    static constexpr int SegmentGap = 3;

    int value() const { return m_value; }
    // Held within 0 and maximumValue; reports valueChanged only for a new value.
    void setValue(int value);

    int maximumValue() const { return m_maximumValue; }
    // At least 1; a value above the new maximum comes down to it.
    void setMaximumValue(int maximumValue);

    // The words for the values 0 to maximumValue (the priority's "None" to "High"), which assistive technology reads
    // instead of the number; empty: the number is read.
    QStringList levelNames() const { return m_levelNames; }
    void setLevelNames(const QStringList &names) { m_levelNames = names; }
    // The word for the value now, or an empty string.
    QString levelName() const { return m_levelNames.value(m_value); }

    // Where segment `index` (0 for the first) stands in an indicator of `size` with `count` segments: equal widths
    // filling the width, separated by SegmentGap, vertically centred and at most 12 high.
    static QRectF segmentRect(const QSize &size, int count, int index);
    // The value a click at `x` asks for: the number of the segment under it (the nearest one in a gap), 0 left of
    // the first segment.
    static int valueForPosition(const QSize &size, int count, qreal x);

    static QColor litColor();
    // The unlit segments: a faint wash of `text`, the text colour of the palette the indicator is drawn with, so that
    // they show on a light and on a dark window alike.
    static QColor unlitColor(const QColor &text = QColor(Qt::black));

    // A change the user asked for (a click, a key, assistive technology): sets the value and, when it changed,
    // reports the action.
    void userSetValue(int value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void valueChanged(int value);
    // The user changed the value with the mouse or a key; sent after valueChanged.
    void action(KNVTLevelIndicator *sender);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_value = 0;
    int m_maximumValue = DefaultMaximumValue;
    QStringList m_levelNames;
};
