#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

// Draws an image stretched to its bounds (the aspect ratio is not kept) inside a rounded rectangle, over an optional
// background fill and under an optional border. Only the inner half of the border shows, because the border is
// stroked along the edge of the clip.
class KNVTImageView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QImage image READ image WRITE setImage)
    Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(qreal borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit KNVTImageView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);

    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);

    // An invalid colour is none.
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);

    qreal borderWidth() const { return m_borderWidth; }
    void setBorderWidth(qreal width);

    // An invalid colour is none. Takes effect at the next drawing; setting it does not redraw by itself.
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color) { m_backgroundColor = color; }

    // The view's drawing into `bounds` of any painter, so that painted list rows can show a picture the same way.
    // The border is stroked even when it is 0 wide (a hairline) and without a border colour: then it takes the
    // colour in force, black, or clear after a background fill.
    static void draw(QPainter &painter, const QRectF &bounds, const QImage &image, qreal cornerRadius,
                     const QColor &borderColor, qreal borderWidth, const QColor &backgroundColor);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    qreal m_cornerRadius = 0.0;
    QColor m_borderColor;
    qreal m_borderWidth = 0.0;
    QColor m_backgroundColor;
};
