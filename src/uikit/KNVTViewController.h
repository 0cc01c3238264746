#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// Owns one view, made on first use, and a title. The view may be placed in any container; the controller deletes
// it when it goes away, unless the view was deleted first. A controller may instead be made a child of its own view,
// so that whatever holds the view holds the controller: it then goes with the view and leaves the view alone.
class KNVTViewController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)

public:
    explicit KNVTViewController(QObject *parent = nullptr);
    ~KNVTViewController() override;

    // The view, loading it on first call (loadView(), then viewDidLoad()).
    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }
    // The view when it is loaded, else nullptr; never loads it.
    QWidget *viewIfLoaded() const;
    // Replaces the view; the old one is deleted. The controller owns `view`.
    void setView(QWidget *view);

    QString title() const { return m_title; }
    void setTitle(const QString &title);

signals:
    void titleChanged(const QString &title);

protected:
    // Makes the view and hands it to setView(); the default is an empty widget.
    virtual void loadView();
    virtual void viewDidLoad() {}

private:
    QPointer<QWidget> m_view;
    QString m_title;
    bool m_loading = false;
};
