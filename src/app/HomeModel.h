#pragma once

#include "app/HomeEntry.h"
#include "app/KNVTHomeSection.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QSet>

#include <functional>
#include <optional>
#include <vector>

class KNVTCDTaskList;
class QMimeData;

namespace knvt {

// The home list as a two-level model: the sections at the top, their entries below. Titles, icons, badges and the
// sharing buttons are read from the store when the sections are given, so painting never queries. New sections are
// applied in place by the lists' one diff (KeyedRowDiff): entries that went are removed, new ones inserted, moved ones
// (a renamed project) moved and changed ones updated, so that the selection and the open sections stay with their
// entries.
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
    // Shows `sections` in place of those shown, changing only what differs.
    void updateSections(std::vector<KNVTHomeSection> sections);
    const std::vector<KNVTHomeSection> &sections() const { return m_sections; }
    KNVTHomeSection *sectionAt(const QModelIndex &index);
    // The entry of a row under a section; nullopt for a section or an invalid index.
    std::optional<HomeEntry> entryAt(const QModelIndex &index) const;
    QModelIndex indexForEntry(const HomeEntry &entry) const;
    QModelIndex indexForSection(int homeSectionType) const;

    // What a drop of `mime` onto `target` (a section's header or an entry) would do: the rules of the home list's
    // drops (tasks onto a focus list, project, area or tag; lists onto their section or a focus list; tags among
    // themselves). Drags of another program never change anything; objects deleted during the drag do not count.
    Qt::DropAction dropAction(const QMimeData &mime, const QModelIndex &target, bool fromThisProcess) const;

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

        // Shown the same (icons are shared per name, so the name stands for the picture).
        bool operator==(const Row &other) const;
        QString iconName;
    };
    struct DiffHost;
    friend struct DiffHost;

    static Row rowFor(const HomeEntry &entry, const QSet<const KNVTCDTaskList *> &collaborative);
    static std::vector<std::vector<Row>> rowsFor(const std::vector<KNVTHomeSection> &sections);
    // Shows `sections` with `rows` (one list of rows a section) in place of everything shown (one reset).
    void reset(std::vector<KNVTHomeSection> sections, std::vector<std::vector<Row>> rows);
    // The section whose rows' indexes carry `serial`, or -1.
    int sectionOfSerial(quintptr serial) const;
    QModelIndex sectionIndex(int section) const;

    std::vector<KNVTHomeSection> m_sections;
    // Each section keeps its number while it is shown: its rows' indexes name it, so that an index a view keeps still
    // finds its section when a section before it comes or goes.
    std::vector<quintptr> m_serials;
    quintptr m_nextSerial = 1;
    std::vector<std::vector<Row>> m_rows;
    MimeWriter m_mimeWriter;
};

} // namespace knvt
