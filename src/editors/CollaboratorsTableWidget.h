#pragma once

#include <QTableWidget>

#include <functional>

namespace knvt {

// The table of an information window's collaborators: read-only rows that can only be dragged out. What a drag
// carries comes from the window, by row.
class CollaboratorsTableWidget : public QTableWidget
{
    Q_OBJECT

public:
    using RowsMimeData = std::function<QMimeData *(const QList<int> &rows)>;

    explicit CollaboratorsTableWidget(RowsMimeData rowsMimeData, QWidget *parent = nullptr);

    QStringList mimeTypes() const override;

protected:
    QMimeData *mimeData(const QList<QTableWidgetItem *> &items) const override;

private:
    RowsMimeData m_rowsMimeData;
};

} // namespace knvt
