#pragma once

#include <QObject>
#include <QPageLayout>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QPrinter;
class QTextDocument;

// Prints one HTML page, given as text or as the URL of a file, laid out at the paper's width: through the print
// dialog, or, when the environment names a file in KNVT_PRINT_PDF, straight into that PDF without asking. The page's
// <link> to the print style sheet is answered with the sheet of the program's resources.
//
// Printing runs to its end inside printWithInfo(): the completion handler is called exactly once, with false when
// the page could not be read, the printer or file could not be opened or written, or the dialog was cancelled. Every
// such failure but the cancelled dialog is first shown to the user in an alert through the shared alert presenter.
// The owner may release the printer once the completion has run.
class KNVTHTMLPrinter : public QObject
{
    Q_OBJECT

public:
    // Called with the printer before the page is printed (the lists name the job there).
    using OperationHandler = std::function<void(QPrinter &printer)>;
    // Called once with whether the page was printed.
    using CompletionHandler = std::function<void(bool printed)>;

    explicit KNVTHTMLPrinter(const QString &HTMLString, QObject *parent = nullptr);
    // A page in a file (or the program's resources); relative links in it resolve against `URL`.
    explicit KNVTHTMLPrinter(const QUrl &URL, QObject *parent = nullptr);

    const QUrl &URL() const { return m_URL; }
    const QString &HTMLString() const { return m_HTMLString; }
    // The page set-up of the current or last print; the default until printing starts.
    const QPageLayout &printInfo() const { return m_printInfo; }
    const OperationHandler &printOperationHandler() const { return m_operationHandler; }
    void setPrintOperationHandler(OperationHandler handler) { m_operationHandler = std::move(handler); }
    const CompletionHandler &completionHandler() const { return m_completionHandler; }
    void setCompletionHandler(CompletionHandler handler) { m_completionHandler = std::move(handler); }

    // The page set-up every print starts from unless it is given one: the paper of the user's locale, 20 pt margins
    // at the sides and 10 pt at top and bottom. One for the whole program.
    static QPageLayout defaultPrintInfo();
    // The URL of the print style sheet as printed pages link it.
    static QString styleSheetURLString();
    // The sheet itself.
    static QString styleSheet();

    // Prints with `printInfo` (the default when none); the handlers may be empty.
    void printWithInfo(const std::optional<QPageLayout> &printInfo, OperationHandler operationHandler,
                       CompletionHandler completionHandler);
    void print();

    // The page's document as it is printed: what the style sheet and the page make of `html`.
    static void prepareDocument(QTextDocument &document, const QString &html, const QUrl &baseURL = QUrl());

private:
    // The page's text, or nothing when its file cannot be read.
    std::optional<QString> loadPage() const;
    // Whether the page was printed; when not, `failure` says why in the user's words.
    bool printPage(QPrinter &printer, const QString &html, bool toFile, QString *failure) const;
    static void presentFailure(const QString &failure);
    void complete(bool printed);

    QUrl m_URL;
    QString m_HTMLString;
    QPageLayout m_printInfo;
    OperationHandler m_operationHandler;
    CompletionHandler m_completionHandler;
};
