#pragma once

#include "foundation/KNVTDateOrTimeFormatter.h"

#include <QDateTime>
#include <QString>
#include <QWidget>

class KNVTProgressIndicator;
class QLabel;

enum KNVTActivityViewState : unsigned int {
    KNVTActivityViewStateInactive = 0,
    KNVTActivityViewStateActive = 1,
    KNVTActivityViewStateCompleted = 2,
};

// A small status line: a spinner and a text while some activity runs, a completion text with its date once it has
// completed, or nothing. It knows nothing of the activity; its owner or a subclass sets the texts and the date first
// and then the state. The texts and the date show only when the state is set (or the view is resized), so an owner
// can change several of them without the line flickering through the steps.
class KNVTActivityView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(KNVTActivityViewState state READ state WRITE setState NOTIFY stateChanged)
    Q_PROPERTY(QString activeText READ activeText WRITE setActiveText)
    Q_PROPERTY(QString completedText READ completedText WRITE setCompletedText)
    Q_PROPERTY(QDateTime completedDate READ completedDate WRITE setCompletedDate)

public:
    explicit KNVTActivityView(QWidget *parent = nullptr);
    ~KNVTActivityView() override;

    KNVTProgressIndicator *progressIndicator() const { return m_progressIndicator; }
    QLabel *textLabel() const { return m_textLabel; }

    KNVTActivityViewState state() const { return m_state; }
    // Lays the line out again even when the state stays the same. Values other than the three states show nothing.
    void setState(KNVTActivityViewState state);

    QString activeText() const { return m_activeText; }
    void setActiveText(const QString &text) { m_activeText = text; }
    QString completedText() const { return m_completedText; }
    void setCompletedText(const QString &text) { m_completedText = text; }
    // An invalid date is none.
    QDateTime completedDate() const { return m_completedDate; }
    void setCompletedDate(const QDateTime &date) { m_completedDate = date; }

    QSize sizeHint() const override;
    // A completion text wider than the view wraps, and the view grows to show all of its lines.
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

signals:
    void stateChanged(KNVTActivityViewState state);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layOutSubviews();

    KNVTProgressIndicator *m_progressIndicator = nullptr;
    QLabel *m_textLabel = nullptr;
    KNVTDateOrTimeFormatter m_formatter;
    KNVTActivityViewState m_state = KNVTActivityViewStateInactive;
    QString m_activeText;
    QString m_completedText;
    QDateTime m_completedDate;
};
