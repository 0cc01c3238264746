#include "accounts/KNVTUserSelectionViewController.h"

#include "accounts/FormWidgets.h"
#include "accounts/KNVTUserSelectionModel.h"
#include "accounts/PaintedRowList.h"
#include "accounts/RowPainting.h"
#include "accounts/TaskStoreReference.h"
#include "accounts/UserRow.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDUser.h"

#include "uikit/UnsavedTyping.h"

#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

#include <typeinfo>

namespace {

QSet<QUrl> urisOfUsers(const std::vector<KNVTCDUser *> &users)
{
    QSet<QUrl> uris;
    uris.reserve(qsizetype(users.size()));
    for (const KNVTCDUser *user : users) {
        if (user)
            uris.insert(knvt::managedObjectIDURIRepresentation(*user));
    }
    return uris;
}

} // namespace

KNVTUserSelectionViewController::KNVTUserSelectionViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_store(store), m_model(new KNVTUserSelectionModel(store, this))
{
    m_model->setToggleHandler([this](const QUrl &uri, bool selected) { userWasToggled(uri, selected); });
}

KNVTUserSelectionViewController::~KNVTUserSelectionViewController() = default;

QLineEdit *KNVTUserSelectionViewController::searchField()
{
    view();
    return m_searchField;
}

QListView *KNVTUserSelectionViewController::tableView()
{
    view();
    return m_tableView;
}

void KNVTUserSelectionViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTUserSelectionViewController"));
    view->setAccessibleName(tr("Choose People"));
    m_searchField = new QLineEdit;
    knvt::UnsavedTyping::markNotKept(m_searchField);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(tr("Search"));
    m_searchField->setAccessibleName(tr("Search People"));
    knvt::enableClearButton(m_searchField);
    m_tableView = knvt::makePeopleListView(m_model, true);
    m_tableView->setAccessibleName(tr("People"));
    m_tableView->setAccessibleDescription(tr("Tick the people to choose them."));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_searchField);
    layout->addWidget(m_tableView, 1);
    view->resize(300, 360);
    view->setMinimumSize(260, 300);
    connect(m_searchField, &QLineEdit::textChanged, this, &KNVTUserSelectionViewController::controlTextDidChange);
    setView(view);
    reloadRows();
}

void KNVTUserSelectionViewController::setUsers(const std::vector<KNVTCDUser *> &users)
{
    m_users = users;
    if (isViewLoaded())
        reloadRows();
}

std::vector<KNVTCDUser *> KNVTUserSelectionViewController::selectedUsers() const
{
    const QSet<QUrl> &uris = m_model->selectedURIs();
    const std::vector<KNVTCDTaskStoreObject *> objects =
        knvt::taskStore(m_store).objectsForURIs(QList<QUrl>(uris.cbegin(), uris.cend()));
    std::vector<KNVTCDUser *> users;
    users.reserve(objects.size());
    for (KNVTCDTaskStoreObject *object : objects) {
        if (object && typeid(*object) == typeid(KNVTCDUser))
            users.push_back(static_cast<KNVTCDUser *>(object));
    }
    return users;
}

void KNVTUserSelectionViewController::setSelectedUsers(const std::vector<KNVTCDUser *> &users)
{
    m_model->setSelectedURIs(urisOfUsers(users));
}

void KNVTUserSelectionViewController::setUnselectableUsers(const std::vector<KNVTCDUser *> &users)
{
    m_unselectableUsers = users;
    m_model->setUnselectableURIs(urisOfUsers(users));
}

void KNVTUserSelectionViewController::controlTextDidChange()
{
    reloadRows();
}

void KNVTUserSelectionViewController::reloadRows()
{
    m_filteredUsers = knvt::usersMatchingSearch(m_users, m_searchField ? m_searchField->text() : QString());
    m_model->setUsers(m_filteredUsers, false);
}

void KNVTUserSelectionViewController::userWasToggled(const QUrl &uri, bool selected)
{
    auto *user = dynamic_cast<KNVTCDUser *>(knvt::taskStore(m_store).objectForURI(uri));
    KNVTUserSelectionViewControllerDelegate *delegate = m_delegate.get();
    if (!user || !delegate)
        return;
    if (selected)
        delegate->userSelectionViewControllerDidSelectUser(this, user);
    else
        delegate->userSelectionViewControllerDidDeselectUser(this, user);
}
