#pragma once

#include "lists/ItemRow.h"

#include "uikit/KNVTCheckBox.h"

#include <QString>
#include <QStringList>

namespace knvt::test {

// The rows of an item list as the user reads them: "# Header", "[ ] Open task", "[x] Completed", "[-] Cancelled".
template <class List>
QStringList itemRowLines(const List &list)
{
    QStringList lines;
    for (int i = 0; i < list.numberOfRows(); ++i) {
        const knvt::ItemRow *row = list.rowAt(i);
        if (row->isHeader()) {
            lines << QStringLiteral("# ") + row->title;
            continue;
        }
        const char *box = row->checkBoxState == KNVTCheckBoxStateTick ? "[x] "
            : row->checkBoxState == KNVTCheckBoxStateCross            ? "[-] "
                                                                      : "[ ] ";
        lines << QString::fromLatin1(box) + row->title;
    }
    return lines;
}

} // namespace knvt::test
