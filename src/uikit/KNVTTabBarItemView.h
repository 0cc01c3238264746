#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QLabel;

// One tab of a KNVTTabBar: a title above an image, with optional background views for the normal and the
// selected look. With style 1 the view lays out its parts itself; with other styles the owner does.
class KNVTTabBarItemView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title WRITE setTitle)
    Q_PROPERTY(QPixmap image READ image WRITE setImage)
    Q_PROPERTY(QPixmap selectedImage READ selectedImage WRITE setSelectedImage)
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected)
    Q_PROPERTY(int style READ style CONSTANT)

public:
    explicit KNVTTabBarItemView(QWidget *parent = nullptr);
    explicit KNVTTabBarItemView(int style, QWidget *parent = nullptr);
    static KNVTTabBarItemView *tabBarItemViewWithStyle(int style);

    QString title() const { return m_title; }
    // A null title is kept as "".
    void setTitle(const QString &title);

    QPixmap image() const { return m_image; }
    void setImage(const QPixmap &image);
    QPixmap selectedImage() const { return m_selectedImage; }
    void setSelectedImage(const QPixmap &selectedImage);
    void setImage(const QPixmap &image, const QPixmap &selectedImage);
    // Sets both images from one picture, through the style's conversions.
    void setUnfinishedImage(const QPixmap &image);
    static QPixmap imageForUnfinishedImage(const QPixmap &image, int style);
    static QPixmap selectedImageForUnfinishedImage(const QPixmap &image, int style);

    QLabel *textLabel() const { return m_textLabel; }
    QLabel *imageView() const { return m_imageView; }

    QWidget *backgroundView() const { return m_backgroundView; }
    // Replaces (and deletes) the old view; the item view owns the new one and keeps it behind its other parts.
    void setBackgroundView(QWidget *backgroundView);
    QWidget *selectedBackgroundView() const { return m_selectedBackgroundView; }
    void setSelectedBackgroundView(QWidget *selectedBackgroundView);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { setSelected(selected, true); }
    // The change is immediate; `animated` is accepted for callers that pass it.
    void setSelected(bool selected, bool animated);

    int style() const { return m_style; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applySelection();
    void layoutParts();

    int m_style = 0;
    QString m_title = QStringLiteral("");
    QPixmap m_image;
    QPixmap m_selectedImage;
    QLabel *m_textLabel = nullptr;
    QLabel *m_imageView = nullptr;
    QPointer<QWidget> m_backgroundView;
    QPointer<QWidget> m_selectedBackgroundView;
    bool m_selected = false;
};
