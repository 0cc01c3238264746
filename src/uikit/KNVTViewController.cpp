#include "uikit/KNVTViewController.h"

#include <QWidget>

KNVTViewController::KNVTViewController(QObject *parent) : QObject(parent) {}

KNVTViewController::~KNVTViewController()
{
    QWidget *view = m_view.data();
    // A controller that its own view keeps (a child of the view, so that a popover or window holding the view keeps
    // it too) goes when the view goes, and must not delete the view in the middle of that.
    for (QObject *owner = parent(); owner; owner = owner->parent()) {
        if (owner == view)
            return;
    }
    delete view;
}

QWidget *KNVTViewController::viewIfLoaded() const
{
    return m_view.data();
}

QWidget *KNVTViewController::view()
{
    if (m_view.isNull() && !m_loading) {
        m_loading = true;
        loadView();
        if (m_view.isNull())
            setView(new QWidget);
        m_loading = false;
        viewDidLoad();
    }
    return m_view.data();
}

void KNVTViewController::setView(QWidget *view)
{
    if (view == m_view)
        return;
    delete m_view.data();
    m_view = view;
}

void KNVTViewController::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    emit titleChanged(title);
}

void KNVTViewController::loadView()
{
    setView(new QWidget);
}
