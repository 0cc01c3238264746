#pragma once

#include <QWidget>

class QTimer;

// The small spinning wheel that says "busy, no telling how long": twelve spokes whose brightest one goes round while
// the indicator animates. Stopped, it shows the spokes at rest.
class KNVTProgressIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool animating READ isAnimating)

public:
    explicit KNVTProgressIndicator(QWidget *parent = nullptr);

    bool isAnimating() const;
    void startAnimation();
    void stopAnimation();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer *m_timer = nullptr;
    int m_phase = 0;
};
