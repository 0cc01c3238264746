#pragma once

#include "foundation/Opener.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace knvt {

// Shows one application-modal alert and waits for the answer. Everything that asks the user goes through the
// shared presenter, so tests can answer without a dialog on screen.
class AlertPresenter
{
public:
    struct Request
    {
        QString title{};   // the alert's main text
        QString message{}; // the smaller explanation below it
        // Text the user typed that the alert gives back (a form that went away, a question before it is dropped):
        // shown under the explanation in a scrolling area of a few lines that can be selected and copied, so that
        // however much was typed the alert fits its screen with its buttons.
        QString typed{};
        QStringList buttonTitles{};          // in display order; the first is the default button
        bool showsSuppressionButton = false; // adds a "Do not ask again" check box
        bool critical = false;               // a warning badge: the alert says something cannot be done
        // Who asks: the user's own command (it opens with the keyboard) or the application by itself (it waits beside
        // the user's work until the user goes to it, KeyboardOwner). No default: a request that does not say it does
        // not compile.
        Opener opener;
        // The window the alert is about, which it stands in front of; none: the window the user is in.
        QPointer<QWidget> concerns{};
    };

    // The modal response the alert ended with: 1000 + the position of the chosen button in the
    // request's titles, or Stopped when it was closed without a button.
    static constexpr qsizetype FirstButtonResponse = 1000;
    static constexpr qsizetype Stopped = -1000;

    struct Response
    {
        qsizetype modalResponse = Stopped;
        bool suppressed = false; // state of the suppression check box when the alert ended
    };

    virtual ~AlertPresenter();

    // Main thread only. Returns when the user has answered.
    virtual Response runModal(const Request &request) = 0;

    // The presenter every alert goes through; the QMessageBox presenter unless a test installed another.
    static AlertPresenter &shared();
    // Installs `presenter` (not owned) as the shared presenter; nullptr restores the QMessageBox presenter.
    static void setShared(AlertPresenter *presenter);
};

} // namespace knvt
