#include "uikit/KNVTOutlineViewDataSource.h"

#include "foundation/Assert.h"
#include "uikit/KNVTOutlineViewDataSourceRemoveUpdateObject.h"

#include <QTreeView>
#include <QUrl>

using Marker = KNVTOutlineViewDataSourceRemoveUpdateObject;

namespace {

// A marker shows the object it stands for until the commit takes its row away.
QVariant shownObject(const QVariant &element)
{
    if (const Marker::Pointer marker = Marker::fromItem(element))
        return marker->removedObject();
    return element;
}

const void *identity(const QVariant &element)
{
    if (const auto section = KNVTOutlineViewSection::fromItem(element))
        return section.get();
    if (const auto marker = Marker::fromItem(element))
        return marker.get();
    return nullptr;
}

} // namespace

KNVTOutlineViewDataSource::KNVTOutlineViewDataSource(QObject *parent) : QAbstractItemModel(parent) {}

KNVTOutlineViewDataSource::KNVTOutlineViewDataSource(QTreeView *outlineView, QObject *parent)
    : QAbstractItemModel(parent)
{
    setOutlineView(outlineView);
}

KNVTOutlineViewDataSource::~KNVTOutlineViewDataSource()
{
    if (m_outlineView && m_outlineView->model() == this)
        m_outlineView->setModel(nullptr);
}

void KNVTOutlineViewDataSource::setSections(const QVariantList &sections)
{
    if (onlyMarksElements(sections)) {
        for (qsizetype row = 0; row < sections.size(); ++row) {
            if (identity(sections.at(row)) == identity(m_sections.at(row)))
                continue;
            m_sections[row] = sections.at(row);
            const QModelIndex changed = index(int(row), 0);
            emit dataChanged(changed, changed);
        }
        return;
    }
    beginResetModel();
    m_sections = sections;
    rememberChildCounts();
    endResetModel();
    spanSectionRows();
}

void KNVTOutlineViewDataSource::rememberChildCounts()
{
    m_childCounts.clear();
    for (const QVariant &element : std::as_const(m_sections)) {
        const KNVTOutlineViewSection::Pointer section = sectionOfElement(element);
        m_childCounts.append(section ? section->numberOfChildren() : 0);
    }
}

bool KNVTOutlineViewDataSource::onlyMarksElements(const QVariantList &sections) const
{
    if (sections.size() != m_sections.size())
        return false;
    bool marks = false;
    for (qsizetype row = 0; row < sections.size(); ++row) {
        const QVariant &element = sections.at(row);
        const void *old = identity(m_sections.at(row));
        if (old == nullptr)
            return false;
        if (identity(element) != old) {
            const Marker::Pointer marker = Marker::fromItem(element);
            if (!marker || identity(marker->removedObject()) != old)
                return false;
            marks = true;
        }
        // A section that gained or lost children since the view last counted them needs a reset.
        const KNVTOutlineViewSection::Pointer section = sectionOfElement(element);
        if ((section ? section->numberOfChildren() : 0) != m_childCounts.value(row, -1))
            return false;
    }
    return marks;
}

QVariant KNVTOutlineViewDataSource::sectionAtIndex(qsizetype index) const
{
    KNVT_ASSERT(index >= 0 && index < m_sections.size(), "KNVTOutlineViewDataSource", "sectionAtIndex");
    return m_sections.at(index);
}

qsizetype KNVTOutlineViewDataSource::numberOfChildrenInSectionAtIndex(qsizetype index) const
{
    const KNVTOutlineViewSection::Pointer section = sectionOfElement(sectionAtIndex(index));
    return section ? section->numberOfChildren() : 0;
}

void KNVTOutlineViewDataSource::setOutlineView(QTreeView *outlineView)
{
    if (m_outlineView == outlineView)
        return;
    if (m_outlineView && m_outlineView->model() == this)
        m_outlineView->setModel(nullptr);
    m_outlineView = outlineView;
    if (m_outlineView) {
        m_outlineView->setModel(this);
        spanSectionRows();
    }
}

void KNVTOutlineViewDataSource::spanSectionRows()
{
    if (!m_outlineView)
        return;
    for (int row = 0; row < rowCount(); ++row)
        m_outlineView->setFirstColumnSpanned(row, QModelIndex(), true);
}

void KNVTOutlineViewDataSource::beginUpdates()
{
    if (m_outlineView)
        m_outlineView->setUpdatesEnabled(false);
    m_updating = true;
}

void KNVTOutlineViewDataSource::commitUpdates()
{
    // Each removal changes the stored arrays between beginRemoveRows() and endRemoveRows(), so that the view, which
    // may ask again at any signal, always sees the model as it is at that step.
    for (int sectionRow = 0; sectionRow < m_sections.size(); ++sectionRow) {
        const KNVTOutlineViewSection::Pointer section = KNVTOutlineViewSection::fromItem(m_sections.at(sectionRow));
        if (!section)
            continue;
        const QModelIndex sectionIndex = index(sectionRow, 0);
        QVariantList children = section->children();
        for (int childRow = 0; childRow < children.size();) {
            if (!Marker::isMarker(children.at(childRow))) {
                ++childRow;
                continue;
            }
            beginRemoveRows(sectionIndex, childRow, childRow);
            children.removeAt(childRow);
            section->setChildren(children);
            endRemoveRows();
        }
    }

    if (!m_allowsEmptySections) {
        for (int sectionRow = 0; sectionRow < m_sections.size(); ++sectionRow) {
            const QVariant element = m_sections.at(sectionRow);
            const KNVTOutlineViewSection::Pointer section = KNVTOutlineViewSection::fromItem(element);
            if (section && section->numberOfChildren() == 0)
                m_sections[sectionRow] = Marker::outlineViewDataSourceRemoveUpdateObjectWithRemovedObject(element);
        }
    }

    for (int sectionRow = 0; sectionRow < m_sections.size();) {
        if (!Marker::isMarker(m_sections.at(sectionRow))) {
            ++sectionRow;
            continue;
        }
        beginRemoveRows(QModelIndex(), sectionRow, sectionRow);
        m_sections.removeAt(sectionRow);
        endRemoveRows();
    }
    rememberChildCounts();
}

void KNVTOutlineViewDataSource::endUpdates()
{
    commitUpdates();
    if (m_outlineView)
        m_outlineView->setUpdatesEnabled(true);
    m_updating = false;
}

KNVTOutlineViewSection::Pointer KNVTOutlineViewDataSource::sectionOfElement(const QVariant &element)
{
    return KNVTOutlineViewSection::fromItem(shownObject(element));
}

int KNVTOutlineViewDataSource::rowOfSection(const KNVTOutlineViewSection *section) const
{
    for (qsizetype row = 0; row < m_sections.size(); ++row) {
        if (sectionOfElement(m_sections.at(row)).get() == section)
            return int(row);
    }
    return -1;
}

QModelIndex KNVTOutlineViewDataSource::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    if (!parent.isValid())
        return createIndex(row, column, nullptr);
    // A child row carries its section, which stays right when rows above the section come and go.
    const KNVTOutlineViewSection::Pointer section = sectionOfElement(m_sections.at(parent.row()));
    return createIndex(row, column, section.get());
}

QModelIndex KNVTOutlineViewDataSource::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalPointer() == nullptr)
        return QModelIndex();
    const int row = rowOfSection(static_cast<const KNVTOutlineViewSection *>(child.internalPointer()));
    return row < 0 ? QModelIndex() : createIndex(row, 0, nullptr);
}

int KNVTOutlineViewDataSource::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_sections.size());
    if (parent.column() != 0 || parent.internalPointer() != nullptr)
        return 0;
    const KNVTOutlineViewSection::Pointer section = sectionOfElement(m_sections.at(parent.row()));
    return section ? int(section->numberOfChildren()) : 0;
}

int KNVTOutlineViewDataSource::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant KNVTOutlineViewDataSource::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return QVariant();
    if (index.internalPointer() == nullptr) {
        if (index.row() >= m_sections.size())
            return QVariant();
        const QVariant &element = m_sections.at(index.row());
        const KNVTOutlineViewSection::Pointer section = sectionOfElement(element);
        switch (role) {
        case ItemRole: return element;
        case Qt::DisplayRole: return section ? QVariant(section->name()) : QVariant();
        case SectionIdentifierRole: return section ? QVariant(section->identifier()) : QVariant();
        default: return QVariant();
        }
    }
    // The section is looked up again rather than trusted from the index, which may be older than the last removal.
    const int sectionRow = rowOfSection(static_cast<const KNVTOutlineViewSection *>(index.internalPointer()));
    if (sectionRow < 0)
        return QVariant();
    const KNVTOutlineViewSection::Pointer section = sectionOfElement(m_sections.at(sectionRow));
    if (index.row() >= section->numberOfChildren())
        return QVariant();
    const QVariant &element = section->children().at(index.row());
    const QVariant object = shownObject(element);
    switch (role) {
    case ItemRole: return element;
    case Qt::DisplayRole:
        return object.metaType() == QMetaType::fromType<QUrl>() ? QVariant(object.toUrl().toString())
                                                                : QVariant(object.toString());
    case ObjectUriRole: return object.metaType() == QMetaType::fromType<QUrl>() ? object : QVariant();
    default: return QVariant();
    }
}

Qt::ItemFlags KNVTOutlineViewDataSource::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.internalPointer() == nullptr)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
