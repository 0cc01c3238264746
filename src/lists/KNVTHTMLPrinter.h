#pragma once

#include <QObject>
#include <QPageLayout>
#include <QString>

#include <functional>
#include <optional>

class QPrinter;

// Prints one HTML page laid out at the paper's width: through the print dialog, or, when the environment names a
// file in KNVT_PRINT_PDF, straight into that PDF without asking. The page's <link> to the print style sheet is
// answered with the sheet of the program's resources.
class KNVTHTMLPrinter : public QObject
{
    Q_OBJECT

public:
    // Called with the printer before the page is printed (the lists name the job there).
    using OperationHandler = std::function<void(QPrinter &printer)>;
    // Called once with whether the page was printed.
    using CompletionHandler = std::function<void(bool printed)>;

    explicit KNVTHTMLPrinter(const QString &HTMLString, QObject *parent = nullptr);

    const QString &HTMLString() const { return m_HTMLString; }

    // Margins of 20 pt at the sides and 10 pt at top and bottom, on the default paper.
    static QPageLayout defaultPrintInfo();
    // The URL of the print style sheet as printed pages link it.
    static QString styleSheetURLString();
    // The sheet itself.
    static QString styleSheet();

    // Prints with `printInfo` (the default when none); the handlers may be empty.
    void printWithInfo(const std::optional<QPageLayout> &printInfo, OperationHandler operationHandler,
                       CompletionHandler completionHandler);
    void print();

    // The page's document as it is printed: what the style sheet and the page make of the HTML.
    void printDocument(QPrinter &printer) const;

private:
    QString m_HTMLString;
    OperationHandler m_operationHandler;
    CompletionHandler m_completionHandler;
};
