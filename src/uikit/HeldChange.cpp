#include "uikit/HeldChange.h"

#include "uikit/ChangeHolder.h"
#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/KNVTTokenField.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace knvt {

namespace {

constexpr char NotKeptProperty[] = "knvtChangeNotKept";
constexpr char PaneProperty[] = "knvtChangeKeptOnPane";

QString translated(const char *text)
{
    return QCoreApplication::translate("HeldChange", text);
}

// The text of an editable line or text view; nothing for anything else (a read-only view, a button).
std::optional<QString> editableText(const QWidget *widget)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(widget); line && !line->isReadOnly())
        return line->text();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(widget); plain && !plain->isReadOnly())
        return plain->toPlainText();
    if (const auto *rich = qobject_cast<const QTextEdit *>(widget); rich && !rich->isReadOnly())
        return rich->toPlainText();
    return std::nullopt;
}

// A control made of parts that take the input themselves.
bool isComposite(const QWidget *widget)
{
    return qobject_cast<const KNVTTokenField *>(widget) != nullptr
        || qobject_cast<const KNVTDatePicker *>(widget) != nullptr
        || qobject_cast<const QComboBox *>(widget) != nullptr;
}

bool isMarkedNotKept(const QWidget *control)
{
    for (const QWidget *widget = control; widget != nullptr; widget = widget->parentWidget())
        if (widget->property(NotKeptProperty).toBool())
            return true;
    return qobject_cast<const QMessageBox *>(control->window()) != nullptr;
}

// The name a person knows the control by: the one a screen reader reads, a pop-up's from the label it is labelled
// by (a pop-up is read by its chosen item).
QString nameOf(const QWidget *control)
{
    QString name = control->accessibleName();
    QAccessibleInterface *read =
        name.isEmpty() ? QAccessible::queryAccessibleInterface(const_cast<QWidget *>(control)) : nullptr;
    if (read != nullptr && read->role() == QAccessible::ComboBox) {
        if (const auto labels = read->relations(QAccessible::Label); !labels.isEmpty())
            name = labels.first().first->text(QAccessible::Name);
    } else if (read != nullptr) {
        name = read->text(QAccessible::Name);
    }
    if (name.isEmpty())
        name = control->toolTip();
    name.remove(QLatin1Char('&'));
    while (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}

// What the control holds now, in the words it shows them in.
QString shownValue(const QWidget *control)
{
    if (const auto *tokens = qobject_cast<const KNVTTokenField *>(control)) {
        QStringList shown = tokens->tokenStrings();
        if (const QString typed = tokens->editingString().trimmed(); !typed.isEmpty())
            shown << typed;
        return shown.isEmpty() ? translated("none") : shown.join(QStringLiteral(", "));
    }
    if (const auto *box = qobject_cast<const QCheckBox *>(control))
        return box->checkState() == Qt::Checked         ? translated("ticked")
            : box->checkState() == Qt::PartiallyChecked ? translated("partly ticked")
                                                        : translated("not ticked");
    if (const auto *popUp = qobject_cast<const QComboBox *>(control))
        return popUp->currentText();
    if (const auto *level = qobject_cast<const KNVTLevelIndicator *>(control))
        return level->levelName().isEmpty() ? QString::number(level->value()) : level->levelName();
    if (const auto *calendar = qobject_cast<const KNVTDatePicker *>(control))
        return calendar->locale().toString(calendar->dateValue().date(), QLocale::ShortFormat);
    return QString();
}

} // namespace

QWidget *HeldChange::controlReceiving(QObject *receiver)
{
    if (!receiver->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(receiver);
    for (QWidget *part = widget; part != nullptr; part = part->parentWidget()) {
        if (isComposite(part))
            return part;
        if (part->isWindow())
            break;
    }
    if (auto *area = qobject_cast<QAbstractScrollArea *>(widget->parentWidget()); area && area->viewport() == widget)
        widget = area;
    return state(widget).has_value() ? widget : nullptr;
}

std::optional<QString> HeldChange::state(const QWidget *control)
{
    if (control == nullptr)
        return std::nullopt;
    if (const auto *holder = dynamic_cast<const ChangeHolder *>(control))
        return holder->holding();
    if (std::optional<QString> text = editableText(control))
        return text;
    if (const auto *tokens = qobject_cast<const KNVTTokenField *>(control))
        return tokens->tokenStrings().join(QLatin1Char('\n')) + QLatin1Char('\n') + tokens->editingString().trimmed();
    if (const auto *box = qobject_cast<const QCheckBox *>(control))
        return QString::number(box->checkState());
    if (const auto *popUp = qobject_cast<const QComboBox *>(control))
        return popUp->currentText();
    if (const auto *level = qobject_cast<const KNVTLevelIndicator *>(control))
        return QString::number(level->value());
    if (const auto *calendar = qobject_cast<const KNVTDatePicker *>(control))
        return calendar->dateValue().toString(Qt::ISODate);
    return std::nullopt;
}

QString HeldChange::change(const QWidget *control, const QString &start)
{
    if (control == nullptr || !counts(control))
        return QString();
    const std::optional<QString> now = state(control);
    if (!now || *now == start)
        return QString();
    if (dynamic_cast<const ChangeHolder *>(control) != nullptr)
        return *now;
    if (editableText(control)) {
        const QString text = now->trimmed();
        if (text.isEmpty() || text == start.trimmed())
            return QString();
        const auto *line = qobject_cast<const QLineEdit *>(control);
        // A password is not shown, not even to its own user in a question another person may read over a shoulder.
        return line != nullptr && line->echoMode() != QLineEdit::Normal ? QString(8, QChar(0x2022)) : text;
    }
    const QString name = nameOf(control);
    const QString value = shownValue(control);
    return name.isEmpty() ? value : translated("%1: %2").arg(name, value);
}

bool HeldChange::counts(const QWidget *control)
{
    if (isMarkedNotKept(control))
        return false;
    if (control->isVisible())
        return true;
    for (const QWidget *widget = control; widget != nullptr && !widget->isWindow(); widget = widget->parentWidget())
        if (widget->property(PaneProperty).toBool())
            return control->isVisibleTo(widget) && widget->parentWidget() != nullptr
                && widget->parentWidget()->isVisible();
    return false;
}

void HeldChange::markNotKept(QWidget *widget)
{
    widget->setProperty(NotKeptProperty, true);
}

void HeldChange::markPane(QWidget *pane)
{
    pane->setProperty(PaneProperty, true);
}

} // namespace knvt
