#include "uikit/UnsavedTyping.h"

#include "uikit/AlertAdditions.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace knvt {

namespace {

std::vector<UnsavedTyping *> &forms()
{
    static std::vector<UnsavedTyping *> live;
    return live;
}

// A popover or sheet is a window of its own whose parent chain leads to the window it belongs to.
bool isShownIn(const QWidget *view, const QWidget *window)
{
    if (!view || !view->isVisible())
        return false;
    for (const QWidget *widget = view; widget; widget = widget->parentWidget()) {
        if (widget == window)
            return true;
    }
    return window == nullptr;
}

} // namespace

UnsavedTyping::UnsavedTyping()
{
    forms().push_back(this);
}

UnsavedTyping::~UnsavedTyping()
{
    std::erase(forms(), this);
}

bool UnsavedTyping::mayDiscard(const QWidget *window)
{
    QStringList typed;
    for (const UnsavedTyping *form : forms()) {
        if (isShownIn(form->typingView(), window))
            typed += form->unsavedTyping();
    }
    typed.removeAll(QString());
    if (typed.isEmpty())
        return true;
    const qsizetype answer =
        runModal({.title = QCoreApplication::translate("UnsavedTyping", "Discard What You Typed?"),
                  .message = QCoreApplication::translate("UnsavedTyping", "What you typed has not been saved:"),
                  .typed = typed.join(QStringLiteral("\n\n")),
                  .buttonTitles = {QCoreApplication::translate("UnsavedTyping", "Cancel"),
                                   QCoreApplication::translate("UnsavedTyping", "Discard")}});
    return answer == 1;
}

bool UnsavedTyping::isTypingUnderWay()
{
    const QWidget *focused = QApplication::focusWidget();
    for (const UnsavedTyping *form : forms()) {
        const QWidget *view = form->typingView();
        if (!isShownIn(view, nullptr))
            continue;
        if (view->isAncestorOf(focused) || view == focused)
            return true;
        const QStringList typed = form->unsavedTyping();
        if (std::any_of(typed.begin(), typed.end(), [](const QString &text) { return !text.isEmpty(); }))
            return true;
    }
    return false;
}

} // namespace knvt
