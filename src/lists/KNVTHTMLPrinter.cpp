#include "lists/KNVTHTMLPrinter.h"

#include "lists/Logging.h"

#include "uikit/AlertAdditions.h"
#include "uikit/UnsavedTyping.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

namespace {

QPageSize pageSizeOfLocale()
{
    const QLocale::MeasurementSystem system = QLocale().measurementSystem();
    return QPageSize(system == QLocale::MetricSystem ? QPageSize::A4 : QPageSize::Letter);
}

} // namespace

KNVTHTMLPrinter::KNVTHTMLPrinter(const QString &HTMLString, QObject *parent)
    : QObject(parent), m_HTMLString(HTMLString), m_printInfo(defaultPrintInfo())
{}

KNVTHTMLPrinter::KNVTHTMLPrinter(const QUrl &URL, QObject *parent)
    : QObject(parent), m_URL(URL), m_printInfo(defaultPrintInfo())
{}

QPageLayout KNVTHTMLPrinter::defaultPrintInfo()
{
    static QPageLayout shared(pageSizeOfLocale(), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);
    shared.setUnits(QPageLayout::Point);
    shared.setMargins(QMarginsF(20, 10, 20, 10));
    return shared;
}

QString KNVTHTMLPrinter::styleSheetURLString()
{
    return QStringLiteral("qrc:/quillvane_print.css");
}

QString KNVTHTMLPrinter::styleSheet()
{
    QFile file(QStringLiteral(":/quillvane_print.css"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void KNVTHTMLPrinter::prepareDocument(QTextDocument &document, const QString &html, const QUrl &baseURL)
{
    const QString css = styleSheet();
    document.setDefaultStyleSheet(css);
    // The page links the sheet; the document answers the link with the same sheet.
    document.addResource(QTextDocument::StyleSheetResource, QUrl(styleSheetURLString()), css);
    if (baseURL.isValid())
        document.setBaseUrl(baseURL);
    document.setHtml(html);
}

std::optional<QString> KNVTHTMLPrinter::loadPage() const
{
    if (m_URL.isEmpty())
        return m_HTMLString;
    QString path;
    if (m_URL.isLocalFile())
        path = m_URL.toLocalFile();
    else if (m_URL.scheme() == QLatin1String("qrc"))
        path = QLatin1Char(':') + m_URL.path();
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

bool KNVTHTMLPrinter::printPage(QPrinter &printer, const QString &html, bool toFile, QString *failure) const
{
    const QString path = printer.outputFileName();
    if (toFile) {
        // The printer would fail without a word when it cannot write the file.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            *failure = tr("The file \"%1\" could not be written: %2.").arg(path, file.errorString());
            return false;
        }
    }
    QTextDocument document;
    prepareDocument(document, html, m_URL);
    // Laid out at the paint rectangle, so that printing adds no margins or page numbers of its own and the page is
    // scaled to the paper's width.
    document.setPageSize(printer.pageRect(QPrinter::Point).size());
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted) {
        *failure = tr("The printer reported an error.");
        return false;
    }
    // A file the printer could open but not fill (a full disk) is no printout either.
    if (toFile && QFileInfo(path).size() <= 0) {
        *failure = tr("Nothing could be written to \"%1\".").arg(path);
        return false;
    }
    return true;
}

void KNVTHTMLPrinter::presentFailure(const QString &failure)
{
    qCWarning(lcLists).noquote() << "KNVTHTMLPrinter:printWithInfo couldn't print:" << failure;
    // The answer to the user's Print, which runs while the user waits.
    knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.title = tr("Printing Failed");
    request.message = failure;
    request.buttonTitles = {tr("OK")};
    request.critical = true;
    knvt::runModal(request);
}

void KNVTHTMLPrinter::printWithInfo(const std::optional<QPageLayout> &printInfo, OperationHandler operationHandler,
                                    CompletionHandler completionHandler)
{
    m_printInfo = printInfo.value_or(defaultPrintInfo());
    m_operationHandler = std::move(operationHandler);
    m_completionHandler = std::move(completionHandler);

    const std::optional<QString> html = loadPage();
    if (!html) {
        presentFailure(tr("The page \"%1\" could not be read.").arg(m_URL.toDisplayString(QUrl::PreferLocalFile)));
        complete(false);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_printInfo);
    if (m_operationHandler)
        m_operationHandler(printer);
    bool printed = false;
    // Stays empty when the user cancelled the dialog: nothing went wrong then.
    QString failure;
    const QByteArray pdf = qgetenv("KNVT_PRINT_PDF");
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(pdf));
        printer.setCreator(QStringLiteral("Quillvane"));
        printed = printPage(printer, *html, true, &failure);
    } else {
        QPrintDialog dialog(&printer);
        // What the user sets in the dialog is its answer, which its own Cancel drops: nothing to ask about.
        knvt::UnsavedTyping::markNotKept(&dialog);
        if (dialog.exec() == QDialog::Accepted)
            printed = printPage(printer, *html, printer.outputFormat() == QPrinter::PdfFormat, &failure);
    }
    qCInfo(lcLists).noquote() << "KNVTHTMLPrinter:printWithInfo" << printer.docName() << "printed:" << printed;
    if (!printed && !failure.isEmpty())
        presentFailure(failure);
    complete(printed);
}

void KNVTHTMLPrinter::complete(bool printed)
{
    // Moved out first: the handler may release this printer.
    const CompletionHandler handler = m_completionHandler;
    if (handler)
        handler(printed);
}

void KNVTHTMLPrinter::print()
{
    printWithInfo(std::nullopt, {}, {});
}
