#include "support/CheckedModel.h"

#include <QLoggingCategory>
#include <QMutex>

namespace knvt::test {

namespace {

// The tester's reports, from every model of the process, in order; other messages go on to the previous handler.
QMutex complaintsMutex;
QStringList complaintsHeard;
QtMessageHandler previousHandler = nullptr;
int followers = 0;

void keepComplaint(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && context.category
        && QLatin1String(context.category) == QLatin1String("qt.modeltest")) {
        const QMutexLocker lock(&complaintsMutex);
        complaintsHeard << message;
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

CheckedModel::CheckedModel(QAbstractItemModel *model) : m_model(model)
{
    if (followers++ == 0)
        previousHandler = qInstallMessageHandler(&keepComplaint);
    {
        const QMutexLocker lock(&complaintsMutex);
        m_firstComplaint = complaintsHeard.size();
    }
    m_tester =
        std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, m_tester.get(), [this] { ++m_heard.inserts; });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, m_tester.get(), [this] { ++m_heard.removes; });
    QObject::connect(model, &QAbstractItemModel::rowsMoved, m_tester.get(), [this] { ++m_heard.moves; });
    QObject::connect(model, &QAbstractItemModel::modelReset, m_tester.get(), [this] { ++m_heard.resets; });
    QObject::connect(model, &QAbstractItemModel::layoutChanged, m_tester.get(), [this] { ++m_heard.layouts; });
    QObject::connect(model, &QAbstractItemModel::dataChanged, m_tester.get(),
                     [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                         m_heard.changedRows << QStringLiteral("%1-%2").arg(topLeft.row()).arg(bottomRight.row());
                     });
}

CheckedModel::~CheckedModel()
{
    m_tester.reset();
    if (--followers == 0)
        qInstallMessageHandler(previousHandler);
}

QStringList CheckedModel::complaints() const
{
    const QMutexLocker lock(&complaintsMutex);
    return complaintsHeard.mid(m_firstComplaint);
}

QString CheckedModel::identity(const QModelIndex &index) const
{
    QStringList parts;
    bool any = false;
    for (int role : m_roles) {
        parts << index.data(role).toString();
        any = any || !parts.back().isEmpty();
    }
    return any ? parts.join(u'|') : QString();
}

void CheckedModel::keepEveryRow(const QList<int> &roles)
{
    m_roles = roles;
    m_kept.clear();
    std::vector<QModelIndex> parents{QModelIndex()};
    while (!parents.empty()) {
        const QModelIndex parent = parents.back();
        parents.pop_back();
        for (int row = 0; row < m_model->rowCount(parent); ++row) {
            const QModelIndex index = m_model->index(row, 0, parent);
            if (const QString kept = identity(index); !kept.isEmpty())
                m_kept.emplace_back(QPersistentModelIndex(index), kept);
            if (m_model->hasChildren(index))
                parents.push_back(index);
        }
    }
}

QStringList CheckedModel::rowsThatLeftTheirIndex() const
{
    QStringList left;
    for (const auto &[index, kept] : m_kept)
        if (index.isValid() && identity(index) != kept)
            left << QStringLiteral("%1 -> %2").arg(kept, identity(index));
    return left;
}

} // namespace knvt::test
