#pragma once

#include "ListTest.h"

#include "lists/ItemsOutlineModel.h"
#include "lists/KNVTTaskStoreItemsOutlineView.h"
#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include "model/ObjectReferencePayload.h"

#include "objectstore/Context.h"

#include "support/RecordingListServices.h"
#include "support/RemovedElsewhere.h"

#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>

#include <memory>

// The outline lists: made at a usable size with the recording host, a recording main window and recording task
// windows; drags are done with the list's own drag data into its drop entry points.
class OutlineListTest : public ListTest
{
protected:
    template <class List>
    std::unique_ptr<List> make()
    {
        auto list = std::make_unique<List>(&m_host);
        list->setMainWindowServices(&m_mainWindow);
        list->view()->resize(400, 600);
        return list;
    }

    void select(KNVTTaskStoreItemsOutlineViewController &list, std::initializer_list<KNVTCDTaskStoreObject *> objects)
    {
        QList<int> rows;
        for (KNVTCDTaskStoreObject *object : objects)
            rows << *list.cellIndexForObjectValue(object->uri());
        list.selectRows(rows);
    }

    static QModelIndex sectionIndex(KNVTTaskStoreItemsOutlineViewController &list, const QString &identifier)
    {
        const qsizetype section = list.sectionIdentifiers().indexOf(identifier);
        return list.outlineModel()->indexForSection(int(section));
    }

    static QModelIndex rowIndex(KNVTTaskStoreItemsOutlineViewController &list, const KNVTCDTaskStoreObject *object)
    {
        return list.outlineModel()->indexForUri(object->uri());
    }

    // The drag of `objects` as the list writes it; nullptr when it writes none.
    static std::unique_ptr<QMimeData> dragOf(KNVTTaskStoreItemsOutlineViewController &list,
                                             std::initializer_list<KNVTCDTaskStoreObject *> objects)
    {
        QModelIndexList indexes;
        for (const KNVTCDTaskStoreObject *object : objects)
            indexes << rowIndex(list, object);
        return std::unique_ptr<QMimeData>(list.outlineModel()->mimeData(indexes));
    }

    // Drops `mime` as proposed onto `proposed` (or into it at `childIndex`) the way the view does: validated,
    // retargeted, then carried out. Answers whether the drop was taken.
    static bool drop(KNVTTaskStoreItemsOutlineViewController &list, const QMimeData &mime, const QModelIndex &proposed,
                     int childIndex = -1, bool fromThisProcess = true)
    {
        const auto validation = list.validateDrop(mime, proposed, childIndex, fromThisProcess);
        if (validation.operation != Qt::MoveAction)
            return false;
        return list.acceptDrop(mime, validation.item, validation.childIndex, fromThisProcess);
    }

    void deleteElsewhere(ostore::Object *object) { knvt::test::removeElsewhere(store(), object); }

    knvt::test::RecordingMainWindowServices m_mainWindow;
    knvt::test::RecordingApplicationServices m_application;
};
