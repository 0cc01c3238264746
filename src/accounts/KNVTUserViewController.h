#pragma once

#include "accounts/KNVTUserViewControllerDelegate.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QPointer>

class KNVTCDUser;
class KNVTTaskStore;
class KNVTUserDetailModel;
namespace knvt {
class PaintedRowList;
}

// The people window's right pane: the detail of one person (see KNVTUserDetailModel). Its buttons go to the
// delegate, which changes the friendship; the keyboard reaches them through the list's rows (knvt::PaintedRowList).
class KNVTUserViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTUserViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTUserViewController() override;

    KNVTCDUser *user() const { return m_user; }
    // Rebuilds every row, also for the person already shown.
    void setUser(KNVTCDUser *user);
    KNVTUserDetailModel *model() const { return m_model; }

    knvt::PaintedRowList *tableView();

    KNVTUserViewControllerDelegate *userViewControllerDelegate() const { return m_delegate.get(); }
    void setUserViewControllerDelegate(KNVTUserViewControllerDelegate *delegate) { m_delegate.set(delegate); }

public slots:
    void invite();
    void acceptInvite();
    void declineInvite();

protected:
    void loadView() override;

private:
    KNVTUserDetailModel *m_model;
    KNVTCDUser *m_user = nullptr;
    knvt::WeakDelegate<KNVTUserViewControllerDelegate> m_delegate;
    QPointer<knvt::PaintedRowList> m_tableView;
};
