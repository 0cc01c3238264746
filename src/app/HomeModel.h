#pragma once

#include "app/HomeEntry.h"
#include "app/KNVTHomeSection.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>

#include <functional>
#include <optional>
#include <vector>

class KNVTCDTaskList;
class QMimeData;

namespace knvt {

// The home list as a two-level model: the sections at the top, their entries below. Titles, icons, badges and the
// sharing buttons are read from the store once per rebuild, so painting never queries.
class HomeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role : int {
        IsSectionRole = Qt::UserRole + 0x6121,
    };

    explicit HomeModel(QObject *parent = nullptr);

    // Replaces every section and row (one reset).
    void setSections(std::vector<KNVTHomeSection> sections);
    const std::vector<KNVTHomeSection> &sections() const { return m_sections; }
    KNVTHomeSection *sectionAt(const QModelIndex &index);
    // The entry of a row under a section; nullopt for a section or an invalid index.
    std::optional<HomeEntry> entryAt(const QModelIndex &index) const;
    QModelIndex indexForEntry(const HomeEntry &entry) const;
    QModelIndex indexForSection(int homeSectionType) const;

    using MimeWriter = std::function<QMimeData *(const QModelIndexList &)>;
    void setMimeWriter(MimeWriter writer) { m_mimeWriter = std::move(writer); }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

private:
    struct Row
    {
        HomeEntry entry;
        QString title;
        QIcon icon;
        QString badge;
        bool showsSharedIconButton = false;
    };

    static Row rowFor(const HomeEntry &entry, const QHash<const KNVTCDTaskList *, int> &members);

    std::vector<KNVTHomeSection> m_sections;
    std::vector<std::vector<Row>> m_rows;
    MimeWriter m_mimeWriter;
};

} // namespace knvt
