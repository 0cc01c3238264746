#pragma once

#include "support/VisibleTextAudit.h"

#include <QAccessible>
#include <QMetaEnum>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QWidget>

namespace knvt::test {

// What a screen reader could not read in a window: every element a user can focus or operate without a name, every
// row of a list without its text, and a window without a name. Each problem is one line naming the element by its
// role and the path of roles and names that leads to it, so that a failure says where to look.
class AccessibleTreeAudit
{
public:
    static QStringList problems(QWidget *window)
    {
        QStringList out;
        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(window);
        if (!root)
            return {QStringLiteral("%1: no accessible interface").arg(describe(window))};
        if (root->text(QAccessible::Name).trimmed().isEmpty())
            out << QStringLiteral("%1: the window has no accessible name").arg(describe(window));
        QSet<QAccessible::Id> seen;
        walk(root, describe(window), out, seen, 0);
        return out;
    }

private:
    static QString describe(QWidget *widget)
    {
        const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                            : widget->objectName();
        return name;
    }

    static QString roleName(QAccessible::Role role)
    {
        const char *key = QMetaEnum::fromType<QAccessible::Role>().valueToKey(int(role));
        return key ? QString::fromLatin1(key) : QString::number(int(role), 16).prepend(QStringLiteral("role 0x"));
    }

    static QString label(QAccessibleInterface *interface)
    {
        QString text;
        if (QObject *object = interface->object()) {
            text = object->objectName();
            if (text.isEmpty())
                text = QString::fromLatin1(object->metaObject()->className());
        }
        return QStringLiteral("%1 %2 \"%3\"")
            .arg(roleName(interface->role()), text, interface->text(QAccessible::Name));
    }

    // Elements a user operates or reads one by one.
    static bool isInteractive(QAccessible::Role role)
    {
        switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::Dial:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::ButtonDropGrid:
        case QAccessible::PageTab:
        case QAccessible::Link:
        case QAccessible::List:
        case QAccessible::Table:
        case QAccessible::Tree:
        case QAccessible::MenuItem:
        case QAccessible::ProgressBar: return true;
        default: return false;
        }
    }

    static bool isRow(QAccessible::Role role)
    {
        return role == QAccessible::ListItem || role == QAccessible::TreeItem || role == QAccessible::Cell;
    }

    static void walk(QAccessibleInterface *interface, const QString &path, QStringList &out,
                     QSet<QAccessible::Id> &seen, int depth)
    {
        if (!interface || !interface->isValid() || depth > 40)
            return;
        const QAccessible::Id id = QAccessible::uniqueId(interface);
        if (seen.contains(id))
            return;
        seen.insert(id);
        const QAccessible::State state = interface->state();
        if (state.invisible)
            return;
        const QAccessible::Role role = interface->role();
        // Scroll bars and column headers are the toolkit's own, named by it.
        if (role == QAccessible::ScrollBar || role == QAccessible::ColumnHeader || role == QAccessible::RowHeader)
            return;
        const bool unnamed = interface->text(QAccessible::Name).trimmed().isEmpty();
        if (unnamed && isRow(role))
            out << QStringLiteral("%1 > %2: a row without its text").arg(path, label(interface));
        else if (unnamed && (isInteractive(role) || (state.focusable && role != QAccessible::Client)))
            out << QStringLiteral("%1 > %2: no accessible name").arg(path, label(interface));
        const QString here = depth == 0 ? path : QStringLiteral("%1 > %2").arg(path, label(interface));
        const int count = interface->childCount();
        // A long list is read row by row the same way; the first rows stand for the rest.
        for (int i = 0; i < count && i < 400; ++i)
            walk(interface->child(i), here, out, seen, depth + 1);
    }
};

// The screenshot programs audit every window they render when KNVT_SCREENSHOT_AUDIT is set: each problem is printed
// and counted, and the program then fails, so that the test suite can hold every window of `make screenshots` to it.
inline int &screenshotAuditProblems()
{
    static int count = 0;
    return count;
}

inline bool screenshotAuditRequested()
{
    return qEnvironmentVariableIsSet("KNVT_SCREENSHOT_AUDIT");
}

inline void auditScreenshot(const QString &name, QWidget *widget)
{
    if (!screenshotAuditRequested() || !widget)
        return;
    QStringList found = AccessibleTreeAudit::problems(widget);
    found += VisibleTextAudit::problems(widget);
    QTextStream err(stderr);
    for (const QString &problem : found)
        err << name << ": " << problem << '\n';
    screenshotAuditProblems() += int(found.size());
}

} // namespace knvt::test
