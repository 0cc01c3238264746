#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

class QPainter;

// The round badge that stands for a person: their picture when there is one, otherwise their initials in white on a
// coloured disc, inside a thin coloured ring. The callers choose the initials.
//
// The content is either a picture, or initials, or nothing; each setter replaces the other, so an avatar that is
// reused for another person never shows stale initials under a new picture. The ring is taken from borderWidth and
// tintColor whenever content is drawn, and stays as it was when the content goes away.
class KNVTAvatarView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(qreal borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor tintColor READ tintColor WRITE setTintColor)
    Q_PROPERTY(bool showsImage READ showsImage)
    Q_PROPERTY(bool showsText READ showsText)
    Q_PROPERTY(QRectF textFrame READ textFrame)
    Q_PROPERTY(qreal cornerRadius READ cornerRadius)
    Q_PROPERTY(qreal ringWidth READ ringWidth)
    Q_PROPERTY(QColor ringColor READ ringColor)

public:
    explicit KNVTAvatarView(QWidget *parent = nullptr);

    // The colour of the disc and the first colour of the ring.
    static QColor discColor();
    static QFont textFont();

    QImage image() const { return m_image; }
    // Clears the text.
    void setImage(const QImage &image);

    // Null when there are no initials; an empty string counts as none.
    QString text() const { return m_text; }
    // Clears the image.
    void setText(const QString &text);

    // The ring; both take effect at the next drawing and do not redraw by themselves.
    qreal borderWidth() const { return m_borderWidth; }
    void setBorderWidth(qreal width) { m_borderWidth = width; }
    QColor tintColor() const { return m_tintColor; }
    void setTintColor(const QColor &color) { m_tintColor = color; }

    // What the last drawing laid out: whether a picture or initials are shown, where the initials' line stands (the
    // full width, vertically centred on a whole pixel), and the rounding and ring of the disc.
    bool showsImage() const { return m_showsImage; }
    bool showsText() const { return m_showsText; }
    QRectF textFrame() const { return m_textFrame; }
    qreal cornerRadius() const { return m_cornerRadius; }
    qreal ringWidth() const { return m_ringWidth; }
    QColor ringColor() const { return m_ringColor; }

    // Where a line of initials `lineHeight` high stands in an avatar of `size`. The distance from the bottom edge is
    // the magnitude of the truncated half difference, so a line taller than the avatar is pushed up, not centred.
    static QRectF textFrameForSize(const QSizeF &size, qreal lineHeight);

    // Draws an avatar showing `image`, or else `text`, into `bounds` of any painter, the way the view draws itself,
    // so that painted list rows show the same badge without a widget each.
    static void draw(QPainter &painter, const QRectF &bounds, const QImage &image, const QString &text,
                     qreal borderWidth = 1.0, const QColor &tintColor = discColor());

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

signals:
    void imageChanged();
    void textChanged();

private:
    static void drawLayers(QPainter &painter, const QRectF &bounds, const QImage &image, const QString &text,
                           const QRectF &textFrame, qreal cornerRadius, qreal ringWidth, const QColor &ringColor);
    void reloadSubviews();
    void layOut();

    QImage m_image;
    QString m_text;
    qreal m_borderWidth = 1.0;
    QColor m_tintColor;

    bool m_showsImage = false;
    bool m_showsText = false;
    QRectF m_textFrame;
    qreal m_cornerRadius = 0.0;
    qreal m_ringWidth = 0.0;
    QColor m_ringColor;
};
