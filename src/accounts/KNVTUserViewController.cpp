#include "accounts/KNVTUserViewController.h"

#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserDetailRowDelegate.h"
#include "accounts/PaintedRowList.h"
#include "accounts/RowPainting.h"

#include <QVBoxLayout>

KNVTUserViewController::KNVTUserViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_model(new KNVTUserDetailModel(store, this))
{}

KNVTUserViewController::~KNVTUserViewController() = default;

knvt::PaintedRowList *KNVTUserViewController::tableView()
{
    view();
    return m_tableView;
}

void KNVTUserViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTUserViewController"));
    auto *delegate = new KNVTUserDetailRowDelegate;
    m_tableView = knvt::makeRowList(m_model, delegate);
    m_tableView->setAccessibleName(tr("Person"));
    // Nothing in the detail is chosen: its rows are read and its buttons pressed, with the mouse or the keyboard.
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    connect(delegate, &KNVTUserDetailRowDelegate::buttonClicked, m_tableView.data(),
            &knvt::PaintedRowList::triggerRowAction);
    connect(m_tableView, &knvt::PaintedRowList::rowActionTriggered, this, [this](const QModelIndex &index, int button) {
        const KNVTUserDetailModel::RowKind kind = m_model->kindAtRow(index.row());
        if (kind == KNVTUserDetailModel::RowKind::Invite)
            invite();
        else if (kind == KNVTUserDetailModel::RowKind::AcceptOrDecline)
            button == KNVTUserDetailRowDelegate::DeclineButton ? declineInvite() : acceptInvite();
    });
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tableView);
    setView(view);
}

void KNVTUserViewController::setUser(KNVTCDUser *user)
{
    m_user = user;
    m_model->setUser(user);
}

void KNVTUserViewController::invite()
{
    if (KNVTUserViewControllerDelegate *delegate = m_delegate.get())
        delegate->userViewControllerDidSelectInvite(this);
}

void KNVTUserViewController::acceptInvite()
{
    if (KNVTUserViewControllerDelegate *delegate = m_delegate.get())
        delegate->userViewControllerDidSelectAcceptInvite(this);
}

void KNVTUserViewController::declineInvite()
{
    if (KNVTUserViewControllerDelegate *delegate = m_delegate.get())
        delegate->userViewControllerDidSelectDeclineInvite(this);
}
