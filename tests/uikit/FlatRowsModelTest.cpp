// The flat lists' in-place update (people, notifications, sharing, the task detail) as a view follows it: every
// change announced so that the view's indexes stay on their rows, and a repeated key shown once.

#include "uikit/FlatRowsModel.h"

#include "support/CheckedModel.h"

#include <QAbstractListModel>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct Row
{
    QString key;
    QString text;
    bool operator==(const Row &) const = default;
};

class RowsModel : public knvt::FlatRowsModel<QAbstractListModel>
{
public:
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Row &row = m_rows[size_t(index.row())];
        if (role == Qt::UserRole)
            return row.key;
        return role == Qt::DisplayRole ? QVariant(row.key + u':' + row.text) : QVariant();
    }
    void show(std::vector<Row> rows)
    {
        updateRows(m_rows, std::move(rows), [](const Row &row) { return row.key; });
    }
    QStringList lines() const
    {
        QStringList out;
        for (int r = 0; r < rowCount(); ++r)
            out << data(index(r), Qt::DisplayRole).toString();
        return out;
    }

private:
    std::vector<Row> m_rows;
};

std::vector<Row> rows(int count, const QString &text = QStringLiteral("a"))
{
    std::vector<Row> out;
    for (int i = 0; i < count; ++i)
        out.push_back({QString::number(i), text});
    return out;
}

} // namespace

TEST(FlatRowsModel, EachUpdateIsAnnouncedInPlaceAndEveryKeptIndexStaysOnItsRow)
{
    struct Case
    {
        const char *what;
        std::vector<Row> before;
        std::function<std::vector<Row>(std::vector<Row>)> change;
        QStringList expected; // the lines after, when they are not the target's own
        int inserts, removes, moves, layouts;
        QStringList changedRows;
        // How many times the change is made, each shown as it is made.
        int times = 1;
    };
    const std::vector<Case> cases{
        {"one row moved",
         rows(5),
         [](std::vector<Row> r) {
             std::rotate(r.begin(), r.begin() + 1, r.begin() + 4);
             return r;
         },
         {},
         0,
         0,
         1,
         0,
         {}},
        {"more moves than one at a time: one layout change",
         rows(100),
         [](std::vector<Row> r) {
             std::reverse(r.begin(), r.end());
             return r;
         },
         {},
         0,
         0,
         0,
         1,
         {}},
        {"two large reorderings in a row: one layout change each",
         rows(100),
         [](std::vector<Row> r) {
             std::vector<Row> dealt(r.size());
             for (size_t n = 0; n < r.size(); ++n)
                 dealt[(n * 37) % r.size()] = r[n];
             return dealt;
         },
         {},
         0,
         0,
         0,
         2,
         {},
         2},
        {"a row that reads otherwise, and no other",
         rows(4),
         [](std::vector<Row> r) {
             r[2].text = QStringLiteral("b");
             return r;
         },
         {},
         0,
         0,
         0,
         0,
         {"2-2"}},
        {"rows come and go",
         rows(6),
         [](std::vector<Row> r) {
             r.erase(r.begin() + 1, r.begin() + 3);
             r.push_back({QStringLiteral("new"), QStringLiteral("a")});
             return r;
         },
         {},
         1,
         1,
         0,
         0,
         {}},
        {"a repeated key shows once, where it first stands",
         rows(3),
         [](std::vector<Row> r) {
             r.push_back({QStringLiteral("1"), QStringLiteral("again")});
             r.insert(r.begin(), {QStringLiteral("2"), QStringLiteral("first")});
             return r;
         },
         {"2:first", "0:a", "1:a"},
         -1,
         -1,
         -1,
         -1,
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RowsModel model;
        model.show(c.before);
        knvt::test::CheckedModel checked(&model);
        checked.keepEveryRow({Qt::UserRole});
        checked.forget();
        std::vector<Row> target = c.before;
        for (int time = 0; time < c.times; ++time) {
            target = c.change(target);
            model.show(target);
        }

        QStringList expected = c.expected;
        if (expected.isEmpty())
            for (const Row &row : target)
                expected << row.key + u':' + row.text;
        EXPECT_EQ(model.lines(), expected);
        EXPECT_EQ(checked.complaints(), QStringList());
        EXPECT_EQ(checked.rowsThatLeftTheirIndex(), QStringList());
        const auto &heard = checked.heard();
        EXPECT_EQ(heard.resets, 0);
        if (c.inserts < 0)
            continue;
        EXPECT_EQ(heard.inserts, c.inserts);
        EXPECT_EQ(heard.removes, c.removes);
        EXPECT_EQ(heard.moves, c.moves);
        EXPECT_EQ(heard.layouts, c.layouts);
        if (c.changedRows.isEmpty())
            EXPECT_TRUE(heard.changedRows.isEmpty()) << heard.changedRows.join(u' ').toStdString();
        else
            EXPECT_EQ(heard.changedRows, c.changedRows);
    }
}
