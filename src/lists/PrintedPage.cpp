#include "lists/PrintedPage.h"

#include "lists/KNVTHTMLPrinter.h"

namespace knvt {

QString printedPage(const QString &body)
{
    return QStringLiteral("<html><head><link href=\"%1\" media=\"all\" rel=\"stylesheet\" type=\"text/css\"/></head>"
                          "<body class=\"print\">")
               .arg(KNVTHTMLPrinter::styleSheetURLString())
        + body + QStringLiteral("</body></html>");
}

} // namespace knvt
