#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTextDocument>
#include <QTranslator>
#include <QWidget>

namespace knvt::test {

// Finds the texts of a window that did not come from tr(): a translator that marks every text it is asked for is
// installed, and every text a window shows (labels, buttons, placeholders, titles, menu items, pop-up items, tabs,
// tool tips) must then carry the mark, unless it is the user's own data that the program put in its library (names
// the caller lists), or holds no word at all (numbers, dates and times a formatter wrote).
class VisibleTextAudit
{
public:
    // An invisible character, so that the marked windows still render as the user sees them.
    static constexpr QChar kMark = QChar(0x2060);

    class MarkingTranslator : public QTranslator
    {
    public:
        bool isEmpty() const override { return false; }
        QString translate(const char *, const char *sourceText, const char * = nullptr, int = -1) const override
        {
            return sourceText && *sourceText ? QString(kMark) + QString::fromUtf8(sourceText) : QString();
        }
    };

    static void installMarkingTranslator()
    {
        static MarkingTranslator translator;
        QCoreApplication::installTranslator(&translator);
    }

    // Texts the program took from its own data: titles, names, notes.
    static QSet<QString> &dataTexts()
    {
        static QSet<QString> texts;
        return texts;
    }

    static QStringList problems(QWidget *window)
    {
        QStringList out;
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *widget : widgets) {
            if (!widget->isVisibleTo(window) && widget != window)
                continue;
            const QString where = describe(widget);
            if (widget->isWindow())
                check(widget->windowTitle(), where + QStringLiteral(" window title"), out);
            check(widget->toolTip(), where + QStringLiteral(" tool tip"), out);
            if (auto *label = qobject_cast<QLabel *>(widget))
                check(plain(label->text(), label->textFormat()), where, out);
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                check(button->text(), where, out);
            else if (auto *field = qobject_cast<QLineEdit *>(widget))
                // A field may draw its prompt itself (KNVTTextField), so that it is not read as a description.
                check(field->placeholderText().isEmpty() ? field->property("prompt").toString()
                                                         : field->placeholderText(),
                      where + QStringLiteral(" placeholder"), out);
            else if (auto *box = qobject_cast<QGroupBox *>(widget))
                check(box->title(), where, out);
            else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
                for (int i = 0; i < combo->count(); ++i)
                    check(combo->itemText(i), where + QStringLiteral(" item"), out);
            } else if (auto *tabs = qobject_cast<QTabBar *>(widget)) {
                for (int i = 0; i < tabs->count(); ++i)
                    check(tabs->tabText(i), where + QStringLiteral(" tab"), out);
            }
            if (auto *menu = qobject_cast<QMenu *>(widget))
                check(menu->title(), where + QStringLiteral(" title"), out);
            for (QAction *action : widget->actions()) {
                if (action->isSeparator() || !action->isVisible())
                    continue;
                check(action->text(), where + QStringLiteral(" action"), out);
                check(action->toolTip() == action->text() ? QString() : action->toolTip(),
                      where + QStringLiteral(" action tool tip"), out);
            }
        }
        out.removeDuplicates();
        return out;
    }

private:
    static QString describe(QWidget *widget)
    {
        return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                              : widget->objectName();
    }

    static QString plain(const QString &text, Qt::TextFormat format)
    {
        if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
            return text;
        QTextDocument document;
        document.setHtml(text);
        return document.toPlainText();
    }

    static void check(const QString &text, const QString &where, QStringList &out)
    {
        if (text.contains(kMark))
            return;
        static const QRegularExpression word(QStringLiteral("\\p{L}{2,}"));
        // Dates and times as the locale writes them, narrow and no-break spaces included (en_US puts one before AM).
        static const QRegularExpression dateWords(
            QStringLiteral("^([0-9 \\x{00A0}\\x{202F},:/.\\-]|AM|PM|Today|Tomorrow|Yesterday|"
                           "Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec|January|February|March|April|June|July|"
                           "August|September|October|November|December|"
                           "Mon|Tue|Wed|Thu|Fri|Sat|Sun|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday|Sunday)+$"));
        const QString trimmed = text.trimmed();
        if (!trimmed.contains(word) || dataTexts().contains(trimmed) || dateWords.match(trimmed).hasMatch())
            return;
        out << QStringLiteral("%1: \"%2\" was not translated").arg(where, trimmed);
    }
};

} // namespace knvt::test
