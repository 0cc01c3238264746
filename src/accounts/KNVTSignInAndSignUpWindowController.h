#pragma once

#include "accounts/KNVTSignInAndSignUpWindowControllerDelegate.h"
#include "accounts/KNVTSignInViewControllerDelegate.h"
#include "accounts/KNVTSignUpViewControllerDelegate.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QPointer>
#include <QRect>
#include <QSize>

class KNVTSignInViewController;
class KNVTSignUpViewController;
class KNVTTaskStore;
class QPropertyAnimation;

// A window of two pages, the sign-in form and the sign-up form, one at a time. Changing page resizes the window
// around the new page, keeping its top edge and its horizontal centre. The forgotten-password and terms pages of
// the service's web site open in the browser. The outcome goes to the delegate, which closes the window.
//
// The controller's view is the top-level window.
class KNVTSignInAndSignUpWindowController : public KNVTViewController,
                                            public KNVTSignInViewControllerDelegate,
                                            public KNVTSignUpViewControllerDelegate
{
    Q_OBJECT

public:
    // `store`: the store both forms configure; nullptr means the shared store.
    explicit KNVTSignInAndSignUpWindowController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTSignInAndSignUpWindowController() override;

    QWidget *window() { return view(); }

    KNVTSignInAndSignUpWindowControllerDelegate *signInAndSignUpWindowControllerDelegate() const
    {
        return m_delegate.get();
    }
    void setSignInAndSignUpWindowControllerDelegate(KNVTSignInAndSignUpWindowControllerDelegate *delegate)
    {
        m_delegate.set(delegate);
    }

    KNVTSignInViewController *signInViewController();
    // Made on the first request to create an account and kept, with its texts, for later visits.
    KNVTSignUpViewController *signUpViewController() const { return m_signUpViewController; }

    // Shows `controller`'s view as the window's content, resizing the window around it.
    void displayViewController(KNVTViewController *controller);

    // Where a window at `frame` whose content measures `contentSize` stands once it shows content of `newSize`:
    // grown or shrunk by the difference, equally to both sides, downwards, with the top edge where it was.
    static QRect frameForContentSize(const QRect &frame, const QSize &contentSize, const QSize &newSize);

    void signInViewControllerDidSuccessfullySignIn(KNVTSignInViewController *controller) override;
    void signInViewControllerDidSelectCreateAccount(KNVTSignInViewController *controller) override;
    void signInViewControllerDidSelectForgottenPassword(KNVTSignInViewController *controller) override;
    void signInViewControllerDidSelectCancel(KNVTSignInViewController *controller) override;
    void signUpViewControllerDidSuccessfullySignUp(KNVTSignUpViewController *controller) override;
    void signUpViewControllerDidCancel(KNVTSignUpViewController *controller) override;
    void signUpViewControllerDidSelectTermsAndConditions(KNVTSignUpViewController *controller) override;

protected:
    void loadView() override;

private:
    KNVTTaskStore *m_store;
    knvt::WeakDelegate<KNVTSignInAndSignUpWindowControllerDelegate> m_delegate;
    KNVTSignInViewController *m_signInViewController = nullptr;
    KNVTSignUpViewController *m_signUpViewController = nullptr;
    QPointer<QWidget> m_currentView;
    QPointer<QPropertyAnimation> m_animation;
};
