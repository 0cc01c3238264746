#pragma once

#include <QLabel>

namespace knvt {

// A one-line plain-text label that, given less room than its text needs, shows the text cut with an ellipsis at the
// end instead of cut off mid-letter. text() and a screen reader keep the whole text.
class ElidingLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget *parent = nullptr);

    // The text as the label shows it at its present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace knvt
