#pragma once

#include <QString>

#include <functional>

// One user action as an alert or action sheet offers it: a title, a style, a handler and whether it is enabled.
struct KNVTAction
{
    QString title;
    qint64 style = 0;
    std::function<void()> handler;
    bool enabled = true;

    static KNVTAction actionWithTitle(const QString &title, qint64 style, std::function<void()> handler)
    {
        return KNVTAction{title, style, std::move(handler), true};
    }
};
