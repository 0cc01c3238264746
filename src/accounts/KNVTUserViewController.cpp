#include "accounts/KNVTUserViewController.h"

#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserDetailRowDelegate.h"
#include "accounts/RowPainting.h"

#include <QTreeView>
#include <QVBoxLayout>

KNVTUserViewController::KNVTUserViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_model(new KNVTUserDetailModel(store, this))
{}

KNVTUserViewController::~KNVTUserViewController() = default;

QTreeView *KNVTUserViewController::tableView()
{
    view();
    return m_tableView;
}

void KNVTUserViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTUserViewController"));
    auto *delegate = new KNVTUserDetailRowDelegate;
    m_tableView = knvt::makeRowTreeView(m_model, delegate);
    // Nothing in the detail is chosen: its rows are read and its buttons pressed.
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_tableView->setFocusPolicy(Qt::NoFocus);
    connect(delegate, &KNVTUserDetailRowDelegate::buttonClicked, this,
            [this](KNVTUserDetailModel::RowKind kind, int button) {
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
