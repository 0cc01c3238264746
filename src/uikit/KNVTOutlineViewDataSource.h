#pragma once

#include "uikit/ItemDataRole.h"
#include "uikit/KNVTOutlineViewSection.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <QTreeView>
#include <QVariantList>

// The model of an outline of sections: the top-level rows are the sections (group rows: enabled, not selectable,
// spanning the first column in the view), the rows under each are the section's children. It also removes sections
// and rows in one batch: between beginUpdates() and endUpdates() the owner puts a
// KNVTOutlineViewDataSourceRemoveUpdateObject in the place of each section or child that is to go, and the commit
// removes those rows from the view and the markers from the model together, dropping sections left without children
// unless empty sections are allowed.
//
// Elements of `sections` are KNVTOutlineViewSection::Pointer or marker items. Children are any QVariant: a QUrl is
// taken as the object URI of the row (ObjectUriRole), and the display text is the value's string form. The model
// reads the sections' children live, so an owner may put markers into a section's children directly; any other
// change of the shape (adding or dropping elements) goes through setSections().
class KNVTOutlineViewDataSource : public QAbstractItemModel
{
    Q_OBJECT
    Q_PROPERTY(bool updating READ isUpdating)
    Q_PROPERTY(bool allowsEmptySections READ allowsEmptySections WRITE setAllowsEmptySections)

public:
    enum Role : int {
        ObjectUriRole = knvt::ObjectUriRole,
        // The element as stored: a section pointer, a child value or a marker.
        ItemRole = Qt::UserRole + 64,
        // The identifier of the section of a group row.
        SectionIdentifierRole,
    };
    Q_ENUM(Role)

    explicit KNVTOutlineViewDataSource(QObject *parent = nullptr);
    // Shows the sections in `outlineView` (see setOutlineView()).
    explicit KNVTOutlineViewDataSource(QTreeView *outlineView, QObject *parent = nullptr);
    ~KNVTOutlineViewDataSource() override;

    QVariantList sections() const { return m_sections; }
    // Replaces the top level. When the new array only puts markers in the place of elements of the old one (the
    // owner marking sections for removal) and no section changed its number of children, the rows stay and are only
    // refreshed; anything else, the same array given again included, resets the model.
    void setSections(const QVariantList &sections);
    qsizetype numberOfSections() const { return m_sections.size(); }
    // The element at `index`, a section or a marker. `index` must be in range.
    QVariant sectionAtIndex(qsizetype index) const;
    // The number of children of the section at `index`, or of the section a marker there stands for.
    qsizetype numberOfChildrenInSectionAtIndex(qsizetype index) const;

    QTreeView *outlineView() const { return m_outlineView; }
    // Makes this the model of `outlineView` and keeps the view (not owned); nullptr lets go of the current view.
    void setOutlineView(QTreeView *outlineView);

    bool allowsEmptySections() const { return m_allowsEmptySections; }
    void setAllowsEmptySections(bool allowsEmptySections) { m_allowsEmptySections = allowsEmptySections; }

    bool isUpdating() const { return m_updating; }
    // Holds back the view's repaint until endUpdates(), so the whole batch shows at once.
    void beginUpdates();
    // Removes every marked child row and every marked section, and, unless empty sections are allowed, each
    // section left without children. Rows go at the position they hold at that moment, so several removals in one
    // section stay in step with the view.
    void commitUpdates();
    void endUpdates();

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    // The section an element is or stands for.
    static KNVTOutlineViewSection::Pointer sectionOfElement(const QVariant &element);
    // The row of the element whose section is `section`, or -1.
    int rowOfSection(const KNVTOutlineViewSection *section) const;
    bool onlyMarksElements(const QVariantList &sections) const;
    void spanSectionRows();
    void rememberChildCounts();

    QVariantList m_sections;
    // The number of rows under each section as the view last learnt it.
    QList<qsizetype> m_childCounts;
    QPointer<QTreeView> m_outlineView;
    bool m_allowsEmptySections = false;
    bool m_updating = false;
};
