#pragma once

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QList>
#include <QPersistentModelIndex>
#include <QStringList>

#include <memory>
#include <vector>

namespace knvt::test {

// A model followed as its views follow it: QAbstractItemModelTester checks every signal and answer (what it finds
// kept as complaints, so that a broken signal fails the test), the row operations and data changes it announces are
// counted, and indexes kept on its rows show whether each row stayed with its index.
class CheckedModel
{
public:
    explicit CheckedModel(QAbstractItemModel *model);
    ~CheckedModel();
    CheckedModel(const CheckedModel &) = delete;
    CheckedModel &operator=(const CheckedModel &) = delete;

    // What any model tester of the process found wrong since this began following the model: the testers report
    // through one log category, which does not say the model.
    QStringList complaints() const;

    // The announcements heard since the last forget().
    struct Heard
    {
        int inserts = 0;
        int removes = 0;
        int moves = 0;
        int resets = 0;
        int layouts = 0;
        // Each data change as "first-last" of its rows (top level and below alike).
        QStringList changedRows;
    };
    const Heard &heard() const { return m_heard; }
    void forget() { m_heard = Heard(); }

    // Keeps an index on every row of the model (every level) with what tells the row apart: its data under `roles`.
    // Rows that answer none of them are not kept.
    void keepEveryRow(const QList<int> &roles = {Qt::DisplayRole});
    // The kept rows whose index no longer stands on a row of the same data (lost, or moved onto another row), as
    // "kept -> now"; a row that went from the model may have lost its index.
    QStringList rowsThatLeftTheirIndex() const;

private:
    QAbstractItemModel *m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    qsizetype m_firstComplaint = 0;
    Heard m_heard;
    QString identity(const QModelIndex &index) const;

    QList<int> m_roles;
    std::vector<std::pair<QPersistentModelIndex, QString>> m_kept;
};

} // namespace knvt::test
