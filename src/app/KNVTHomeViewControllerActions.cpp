#include "app/KNVTHomeViewController.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewControllerDelegate.h"
#include "app/WindowFactory.h"

#include "lists/DroppedObjects.h"
#include "lists/SavingAlertHandler.h"

#include "store/KNVTFocusTaskList.h"
#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

#include "uikit/ActionSet.h"
#include "uikit/AlertAdditions.h"
#include "uikit/Beeper.h"
#include "uikit/DeleteQuestion.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/MenuAdditions.h"

#include <QDialog>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace {

KNVTTaskStore &store()
{
    return *KNVTTaskStore::defaultTaskStore();
}

KNVTCDTaskList *listForUri(const QUrl &uri)
{
    return dynamic_cast<KNVTCDTaskList *>(store().objectForURI(uri));
}

KNVTCDTag *tagForUri(const QUrl &uri)
{
    return dynamic_cast<KNVTCDTag *>(store().objectForURI(uri));
}

} // namespace

void KNVTHomeViewController::openSheet(QPointer<QDialog> &slot, QDialog *sheet)
{
    if (!sheet)
        return;
    slot = sheet;
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    knvt::KeyboardOwner::open(sheet, knvt::Opener::User);
}

// ---- Sheets and commands ----

void KNVTHomeViewController::viewSelectedItem()
{
    KNVTCDTaskList *list = selectedTaskList();
    if (!list)
        return;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (list->isProject())
        openSheet(m_projectWindowController, factory.projectWindowController(list, window()));
    else if (list->isArea())
        openSheet(m_areaWindowController, factory.areaWindowController(list, window()));
}

void KNVTHomeViewController::editSelectedItem()
{
    if (KNVTCDTag *tag = selectedTag()) {
        if (tag->canEdit())
            openSheet(m_tagEditWindowController, knvt::WindowFactory::shared().tagEditWindowController(tag, window()));
        else
            knvt::Beeper::shared().beep();
        return;
    }
    KNVTCDTaskList *list = selectedTaskList();
    if (!list)
        return;
    if (!list->canEdit()) {
        viewSelectedItem();
        return;
    }
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (list->isProject())
        openSheet(m_editProjectWindowController, factory.projectEditWindowController(list, window()));
    else if (list->isArea())
        openSheet(m_editAreaWindowController, factory.areaEditWindowController(list, window()));
}

void KNVTHomeViewController::doubleAction(const QModelIndex &index)
{
    const std::optional<knvt::HomeEntry> entry = m_model->entryAt(index);
    if (entry && entry->kind == knvt::HomeEntry::Kind::Tag) {
        if (KNVTCDTag *tag = tagForUri(entry->uri); tag && tag->canEdit())
            openSheet(m_tagEditWindowController, knvt::WindowFactory::shared().tagEditWindowController(tag, window()));
        return;
    }
    if (!entry || entry->kind != knvt::HomeEntry::Kind::TaskList)
        return;
    KNVTCDTaskList *list = listForUri(entry->uri);
    if (!list)
        return;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (list->isProject()) {
        if (list->canEdit())
            openSheet(m_editProjectWindowController, factory.projectEditWindowController(list, window()));
        else
            openSheet(m_projectWindowController, factory.projectWindowController(list, window()));
    } else if (list->isArea()) {
        if (list->canEdit())
            openSheet(m_editAreaWindowController, factory.areaEditWindowController(list, window()));
        else
            openSheet(m_areaWindowController, factory.areaWindowController(list, window()));
    }
}

void KNVTHomeViewController::removeSelectedItem()
{
    if (selectedItems().size() != 1) {
        knvt::Beeper::shared().beep();
        return;
    }
    if (KNVTCDTag *tag = selectedTag()) {
        removeTag(tag);
        return;
    }
    KNVTCDTaskList *list = selectedTaskList();
    if (!list)
        return;
    if (!list->canRemove()) {
        knvt::Beeper::shared().beep();
        return;
    }
    const QUrl uri = list->uri();
    if (knvt::runModal(knvt::deleteRequest(list->isProject() ? tr("Delete Project") : tr("Delete Area"), false,
                                           knvt::Opener::User))
        != 0)
        return;
    if (KNVTCDTaskList *current = listForUri(uri)) {
        store().removeTaskList(current);
        // A failed save is presented by the store itself.
        store().saveLater(knvt::Opener::User);
    }
}

void KNVTHomeViewController::removeTag(KNVTCDTag *tag)
{
    if (!tag->canEdit()) {
        knvt::Beeper::shared().beep();
        return;
    }
    const QUrl uri = tag->uri();
    if (knvt::runModal(knvt::deleteRequest(tr("Delete Tag?"), false, knvt::Opener::User)) != 0)
        return;
    // The alert runs its own loop: the tag may be gone by the time it is answered.
    if (KNVTCDTag *current = tagForUri(uri); current && !current->isDeleted()) {
        store().removeTag(current);
        store().saveLater(knvt::Opener::User);
    }
}

void KNVTHomeViewController::archiveSelectedItem()
{
    if (KNVTCDTaskList *list = selectedTaskList())
        list->performArchiveWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User), [](bool archived) {
            if (archived)
                store().saveUserChanges();
        });
}

void KNVTHomeViewController::unarchiveSelectedItem()
{
    if (KNVTCDTaskList *list = selectedTaskList()) {
        list->setArchived(false);
        store().saveUserChanges();
    }
}

void KNVTHomeViewController::shareSelectedItem()
{
    if (KNVTCDTaskList *list = selectedTaskList())
        openSheet(m_taskListSharingSettingsWindowController,
                  knvt::WindowFactory::shared().taskListSharingSettingsWindowController(list, window()));
}

void KNVTHomeViewController::stopSharingSelectedItem()
{
    if (KNVTCDTaskList *list = selectedTaskList())
        list->performStopSharingWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User), [](bool stopped) {
            if (stopped)
                store().saveUserChanges();
        });
}

void KNVTHomeViewController::resendInvitationsForSelectedItem()
{
    if (KNVTCDTaskList *list = selectedTaskList()) {
        list->resendInvitations();
        store().saveUserChanges();
    }
}

void KNVTHomeViewController::unsubscribeFromSelectedItem()
{
    KNVTCDTaskList *list = selectedTaskList();
    if (!list)
        return;
    knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.title = list->isProject() ? tr("Unsubscribe from Project?") : tr("Unsubscribe from Area?");
    request.message = tr("This action cannot be undone.");
    request.buttonTitles = {tr("Unsubscribe"), tr("Cancel")};
    const QUrl uri = list->uri();
    if (knvt::runModal(request) != 0)
        return;
    if (KNVTCDTaskList *current = listForUri(uri)) {
        current->unsubscribe();
        store().saveUserChanges();
        store().sync();
    }
}

void KNVTHomeViewController::refreshSelectedItem()
{
    if (selectedTaskList())
        store().sync();
}

void KNVTHomeViewController::shareItem(const QUrl &uri)
{
    KNVTCDTaskList *list = listForUri(uri);
    if (!list)
        return;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (list->canEdit())
        openSheet(m_taskListSharingSettingsWindowController,
                  factory.taskListSharingSettingsWindowController(list, window()));
    else if (list->isProject())
        openSheet(m_projectWindowController, factory.projectWindowController(list, window()));
    else if (list->isArea())
        openSheet(m_areaWindowController, factory.areaWindowController(list, window()));
}

QMenu *KNVTHomeViewController::menuForEvent(QWidget *parent)
{
    knvt::ActionSet *set = m_delegate ? m_delegate->actions() : nullptr;
    if (!set || selectedItems().size() != 1)
        return nullptr;
    KNVTCDTag *tag = selectedTag();
    KNVTCDTaskList *list = selectedTaskList();
    // Only the tag's creator may change it; anyone else gets no menu.
    if ((!tag && !list) || (tag && !tag->canEdit()))
        return nullptr;
    // The actions act on the list that has the keyboard focus: this one, from now on.
    outlineView()->setFocus(Qt::OtherFocusReason);
    set->validate();
    auto *menu = new QMenu(tr("Contextual Menu"), parent);
    menu->setSeparatorsCollapsible(false);
    auto add = [menu, set](knvt::Command command) { menu->addAction(set->action(command)); };
    if (tag) {
        add(knvt::Command::Edit);
        knvt::addSeperatorItem(menu);
        add(knvt::Command::Delete);
        menu->setAccessibleName(tag->title());
        return menu;
    }
    if (list->isCollaborative())
        add(knvt::Command::GetInfo);
    if (list->canEdit()) {
        knvt::addSeperatorItem(menu);
        add(knvt::Command::Edit);
    }
    if (list->canShare()) {
        knvt::addSeperatorItem(menu);
        add(knvt::Command::Share);
        if (list->isShared()) {
            add(knvt::Command::StopSharing);
            add(knvt::Command::ResendInvitations);
        }
    }
    if (list->canEdit() && !list->isArchived()) {
        knvt::addSeperatorItem(menu);
        add(knvt::Command::Archive);
    }
    if (list->canEdit() && list->isArchived()) {
        knvt::addSeperatorItem(menu);
        add(knvt::Command::Unarchive);
    }
    if (list->canRemove()) {
        knvt::addSeperatorItem(menu);
        add(knvt::Command::Delete);
    }
    if (list->canUnsubscribe()) {
        menu->addSeparator();
        add(knvt::Command::Unsubscribe);
    }
    if (menu->isEmpty()) {
        delete menu;
        return nullptr;
    }
    // A screen reader names the menu after the entry it acts on.
    menu->setAccessibleName(list->title());
    return menu;
}

void KNVTHomeViewController::validateCommand(knvt::Command command, knvt::CommandState &state)
{
    using knvt::Command;
    KNVTCDTaskList *list = selectedTaskList();
    KNVTCDTag *tag = selectedTag();
    switch (command) {
    // Delete and Edit ask the entry's own rights when they run: a project I may not delete beeps, one I may not
    // edit shows its information.
    case Command::Delete:
    case Command::Edit: state.enabled = list || tag; return;
    case Command::GetInfo: state.enabled = list && (list->isProject() || list->isArea()); return;
    case Command::Archive: state.enabled = list && list->canEdit() && !list->isArchived(); return;
    case Command::Unarchive: state.enabled = list && list->canEdit() && list->isArchived(); return;
    case Command::Share:
        state.enabled = list && list->canShare();
        if (list && !list->isShared())
            state.title = list->isProject() ? tr("Share Project...") : tr("Share Area...");
        return;
    case Command::StopSharing:
    case Command::ResendInvitations: state.enabled = list && list->canShare() && list->isShared(); return;
    case Command::Unsubscribe: state.enabled = list && list->canUnsubscribe(); return;
    default: return;
    }
}

void KNVTHomeViewController::performCommand(knvt::Command command, QWidget *)
{
    using knvt::Command;
    switch (command) {
    case Command::Delete: removeSelectedItem(); return;
    case Command::Edit: editSelectedItem(); return;
    case Command::GetInfo: viewSelectedItem(); return;
    case Command::Archive: archiveSelectedItem(); return;
    case Command::Unarchive: unarchiveSelectedItem(); return;
    case Command::Share: shareSelectedItem(); return;
    case Command::StopSharing: stopSharingSelectedItem(); return;
    case Command::ResendInvitations: resendInvitationsForSelectedItem(); return;
    case Command::Unsubscribe: unsubscribeFromSelectedItem(); return;
    default: return;
    }
}

// ---- Drag and drop ----

QMimeData *KNVTHomeViewController::writeItems(const QModelIndexList &indexes) const
{
    // Projects, areas and tags; focus lists, the overview entry and the headers are nothing to drag.
    std::vector<const KNVTCDTaskStoreObject *> objects;
    for (const QModelIndex &index : indexes) {
        const std::optional<knvt::HomeEntry> entry = m_model->entryAt(index);
        if (!entry)
            continue;
        if (entry->kind == knvt::HomeEntry::Kind::TaskList) {
            if (KNVTCDTaskList *list = listForUri(entry->uri))
                objects.push_back(list);
        } else if (entry->kind == knvt::HomeEntry::Kind::Tag) {
            if (KNVTCDTag *tag = tagForUri(entry->uri))
                objects.push_back(tag);
        }
    }
    if (objects.empty())
        return nullptr;
    auto *mime = new QMimeData;
    // Readable text for other programs, as every list of the program writes it; never the payload's bytes.
    knvt::ObjectReferencePayload::writeObjects(*mime, objects, [](const KNVTCDTaskStoreObject &object) {
        const auto *tag = dynamic_cast<const KNVTCDTag *>(&object);
        return tag ? tag->title() : QString();
    });
    return mime;
}

namespace {

// What a drop carries that still exists: the lists' own reader, which leaves out what was deleted during the drag.
struct DraggedObjects
{
    std::vector<KNVTCDTask *> tasks;
    std::vector<KNVTCDTaskList *> lists;
    std::vector<KNVTCDTaskList *> projects;
    std::vector<KNVTCDTaskList *> areas;
    std::vector<KNVTCDTag *> tags;
};

DraggedObjects resolve(const QList<QUrl> &uris)
{
    knvt::DroppedObjects dropped = knvt::DroppedObjects::fromURIs(uris);
    return DraggedObjects{std::move(dropped.tasks), std::move(dropped.taskLists), std::move(dropped.projects),
                          std::move(dropped.areas), std::move(dropped.tags)};
}

} // namespace

Qt::DropAction KNVTHomeViewController::validateDrop(const QMimeData &mime, const QModelIndex &target, int,
                                                    bool fromThisProcess) const
{
    return m_model->dropAction(mime, target, fromThisProcess);
}

bool KNVTHomeViewController::acceptDrop(const QMimeData &mime, const QModelIndex &target, int childIndex,
                                        bool fromThisProcess)
{
    if (validateDrop(mime, target, childIndex, fromThisProcess) != Qt::MoveAction)
        return false;
    const QList<QUrl> uris = *knvt::ObjectReferencePayload::read(mime);
    std::optional<knvt::HomeEntry> entry = m_model->entryAt(target);
    const int sectionType =
        !entry && target.isValid() ? m_model->sections()[size_t(target.row())].homeSectionType() : -1;
    // The drop is answered first; questions the changes may ask come afterwards, outside the drag's own loop.
    QPointer<KNVTHomeViewController> self(this);
    QTimer::singleShot(0, this, [self, uris, entry, sectionType, childIndex] {
        if (self)
            self->performDrop(std::vector<QUrl>(uris.begin(), uris.end()), entry ? &*entry : nullptr, sectionType,
                              childIndex);
    });
    return true;
}

std::vector<QUrl> KNVTHomeViewController::reorder(std::vector<QUrl> order, const std::vector<QUrl> &moved,
                                                  int childIndex)
{
    int i = std::max(0, childIndex);
    for (const QUrl &m : moved) {
        const auto found = std::find(order.begin(), order.end(), m);
        const int p = found == order.end() ? INT_MAX : int(found - order.begin());
        if (found != order.end())
            order.erase(found);
        int insertion = p < i ? i - 1 : i;
        insertion = std::clamp(insertion, 0, int(order.size()));
        order.insert(order.begin() + insertion, m);
        i = insertion + 1;
    }
    return order;
}

void KNVTHomeViewController::performDrop(const std::vector<QUrl> &uriVector, const knvt::HomeEntry *entry,
                                         int sectionType, int childIndex)
{
    const DraggedObjects dragged = resolve(QList<QUrl>(uriVector.begin(), uriVector.end()));
    KNVTTaskStore &s = store();

    if (entry && entry->kind == knvt::HomeEntry::Kind::Tag) {
        KNVTCDTag *tag = tagForUri(entry->uri);
        if (!tag || tag->isDeleted())
            return;
        for (KNVTCDTask *task : dragged.tasks)
            task->addTag(tag);
        s.saveLater(knvt::Opener::User);
        return;
    }
    if (entry && entry->kind == knvt::HomeEntry::Kind::TaskList) {
        KNVTCDTaskList *list = listForUri(entry->uri);
        if (!list)
            return;
        for (KNVTCDTask *task : dragged.tasks)
            if (task->taskList() != list)
                task->performMoveToTaskList(list, knvt::savingAlertHandler(knvt::Opener::User));
        s.saveLater(knvt::Opener::User);
        return;
    }
    if (entry && entry->kind == knvt::HomeEntry::Kind::FocusList) {
        switch (entry->focusType) {
        case KNVTFocusTypeScheduled:
            if (!dragged.tasks.empty() && m_delegate)
                m_delegate->presentScheduleTasksSheetForTasks(dragged.tasks);
            return;
        case KNVTFocusTypeDelegated:
            if (!dragged.tasks.empty() && m_delegate)
                m_delegate->presentAssignTasksSheetForTasks(dragged.tasks);
            return;
        default: {
            KNVTTaskStore::Items items(dragged.lists.begin(), dragged.lists.end());
            items.insert(items.end(), dragged.tasks.begin(), dragged.tasks.end());
            s.moveItemsToFocus(items, entry->focusType);
            return;
        }
        }
    }
    if (sectionType == KNVTHomeSectionTypeTags) {
        std::vector<QUrl> order;
        if (const QModelIndex sectionIndex = m_model->indexForSection(sectionType); sectionIndex.isValid())
            for (const knvt::HomeEntry &child : m_model->sections()[size_t(sectionIndex.row())].children())
                order.push_back(child.uri);
        std::vector<QUrl> moved;
        for (KNVTCDTag *tag : dragged.tags)
            moved.push_back(tag->uri());
        // A drop onto the header itself puts the tags first.
        order = reorder(order, moved, std::max(childIndex, 0));
        for (size_t k = 0; k < order.size(); ++k) {
            KNVTCDTag *tag = tagForUri(order[k]);
            if (tag && tag->creatorOrderIndex() != std::optional<qint64>(qint64(k)))
                tag->setCreatorOrderIndex(qint64(k));
        }
        s.saveLater(knvt::Opener::User);
        return;
    }
    if (sectionType != KNVTHomeSectionTypeProjects && sectionType != KNVTHomeSectionTypeAreas)
        return;
    for (KNVTCDTaskList *list : dragged.lists)
        if (list->isSomeday() || list->isArchived())
            list->setFocusType(KNVTTaskListFocusTypeNext);
    if (childIndex >= 0) {
        const QModelIndex sectionIndex = m_model->indexForSection(sectionType);
        std::vector<QUrl> order;
        if (sectionIndex.isValid())
            for (const knvt::HomeEntry &child : m_model->sections()[size_t(sectionIndex.row())].children())
                order.push_back(child.uri);
        std::vector<QUrl> moved;
        for (KNVTCDTaskList *list : sectionType == KNVTHomeSectionTypeProjects ? dragged.projects : dragged.areas)
            moved.push_back(list->uri());
        order = reorder(order, moved, childIndex);
        for (size_t k = 0; k < order.size(); ++k) {
            KNVTCDTaskList *list = listForUri(order[k]);
            // Only lists whose place changed are written, so an unchanged order pushes nothing.
            if (list && list->taskListCollaboratorTaskListTypeOrderIndex() != std::optional<qint64>(qint64(k)))
                list->setTaskListCollaboratorTaskListTypeOrderIndex(qint64(k));
        }
    }
    s.saveLater(knvt::Opener::User);
}
