#include "lists/KNVTHTMLPrinter.h"

#include "lists/Logging.h"

#include <QFile>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

KNVTHTMLPrinter::KNVTHTMLPrinter(const QString &HTMLString, QObject *parent) : QObject(parent), m_HTMLString(HTMLString)
{}

QPageLayout KNVTHTMLPrinter::defaultPrintInfo()
{
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(20, 10, 20, 10),
                       QPageLayout::Point);
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

void KNVTHTMLPrinter::printDocument(QPrinter &printer) const
{
    QTextDocument document;
    const QString css = styleSheet();
    document.setDefaultStyleSheet(css);
    // The page links the sheet; the document answers the link with the same sheet.
    document.addResource(QTextDocument::StyleSheetResource, QUrl(styleSheetURLString()), css);
    document.setHtml(m_HTMLString);
    // Laid out at the paint rectangle, so that printing adds no margins or page numbers of its own.
    document.setPageSize(printer.pageRect(QPrinter::Point).size());
    document.print(&printer);
}

void KNVTHTMLPrinter::printWithInfo(const std::optional<QPageLayout> &printInfo, OperationHandler operationHandler,
                                    CompletionHandler completionHandler)
{
    m_operationHandler = std::move(operationHandler);
    m_completionHandler = std::move(completionHandler);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(printInfo.value_or(defaultPrintInfo()));
    const QByteArray pdf = qgetenv("KNVT_PRINT_PDF");
    bool printed = false;
    if (m_operationHandler)
        m_operationHandler(printer);
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(pdf));
        printer.setCreator(QStringLiteral("Quillvane"));
        printDocument(printer);
        printed = true;
    } else {
        QPrintDialog dialog(&printer);
        if (dialog.exec() == QDialog::Accepted) {
            printDocument(printer);
            printed = true;
        }
    }
    qCInfo(lcLists).noquote() << "KNVTHTMLPrinter:printWithInfo" << printer.docName() << "printed:" << printed;
    if (m_completionHandler)
        m_completionHandler(printed);
}

void KNVTHTMLPrinter::print()
{
    printWithInfo(std::nullopt, {}, {});
}
