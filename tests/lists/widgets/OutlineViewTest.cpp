// The outline view's keys, focus moves and drop indicator, and the HTML printer.

#include "OutlineListTest.h"

#include "lists/KNVTHTMLPrinter.h"
#include "lists/KNVTTagsItemsOutlineViewController.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QTest>

namespace {

class OutlineViewTest : public OutlineListTest
{
protected:
    std::unique_ptr<KNVTTagsItemsOutlineViewController> showTagged(int count)
    {
        auto &b = build();
        KNVTCDTag *t = b.tag(QStringLiteral("t"));
        for (int i = 0; i < count; ++i)
            b.task(QStringLiteral("task %1").arg(i))->addTag(t);
        b.task(QStringLiteral("closed"), {.status = 4})->addTag(t);
        save();
        auto list = make<KNVTTagsItemsOutlineViewController>();
        list->setTags({t});
        list->view()->show();
        settle();
        return list;
    }

    static QString pdfText(const QString &path)
    {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

} // namespace

TEST_F(OutlineViewTest, KeysAreListCommandsAndTabMovesTheFocusThroughTheHost)
{
    auto list = showTagged(2);
    KNVTTaskStoreItemsOutlineView *view = list->outlineView();
    select(*list, {list->tasks()[0]});

    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list->selectedRows(), (QList<int>{1, 2, 4})) << "every task row and no header";
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(list->selectedRows(), (QList<int>{1, 2, 4}));
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(list->selectedRows().isEmpty());

    select(*list, {list->tasks()[0]});
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(m_mainWindow.requests, (QStringList{"edit", "edit"}));
    QTest::keyClick(view, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(m_application.requests, QStringList{"show task 0"});

    const int changes = m_host.selectionChanges;
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(m_host.tabs, 1);
    EXPECT_EQ(m_host.backtabs, 1);
    EXPECT_EQ(m_host.selectionChanges, changes) << "Tab never moves the selection";

    // A task I may not edit: editing beeps.
    KNVTCDTaskList *old = build().project(QStringLiteral("Old"), {.archived = true});
    KNVTCDTask *locked = list->tasks()[1];
    locked->setTaskList(old);
    save();
    settle();
    select(*list, {locked});
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(m_beeper.count(), 1);
    EXPECT_EQ(m_mainWindow.requests.size(), 2);
}

TEST_F(OutlineViewTest, ADragPositionIsProposedOntoARowOrBetweenRowsAndTheTargetIsDrawn)
{
    auto list = showTagged(3);
    KNVTTaskStoreItemsOutlineView *view = list->outlineView();
    const QModelIndex second = list->outlineModel()->indexForRow(2);
    const QRect rect = view->visualRect(second);
    QModelIndex item;
    int child = -2;
    view->proposedDrop(rect.center(), &item, &child);
    EXPECT_EQ(item, second);
    EXPECT_EQ(child, -1);
    view->proposedDrop(QPoint(rect.center().x(), rect.top() + 1), &item, &child);
    EXPECT_EQ(item, sectionIndex(*list, QStringLiteral("Incomplete")));
    EXPECT_EQ(child, 1);
    view->proposedDrop(QPoint(rect.center().x(), rect.bottom() - 1), &item, &child);
    EXPECT_EQ(child, 2);
    view->proposedDrop(QPoint(5, view->viewport()->height() - 2), &item, &child);
    EXPECT_FALSE(item.isValid()) << "below the last row";

    // The drop indicator is painted where the controller put the drop.
    const QImage before = view->viewport()->grab().toImage();
    view->setDropIndicator(sectionIndex(*list, QStringLiteral("Incomplete")), 1);
    const QImage line = view->viewport()->grab().toImage();
    const QColor highlight = view->palette().color(QPalette::Highlight);
    EXPECT_EQ(line.pixelColor(view->viewport()->width() / 2, rect.top()), highlight);
    EXPECT_NE(before, line);
    view->setDropIndicator(QModelIndex(), -1);
    EXPECT_EQ(view->viewport()->grab().toImage(), before);
}

TEST_F(OutlineViewTest, PrintingToAFileAnswersOnceAndFailsWhereItCannotWrite)
{
    QTemporaryDir dir;
    const QString page = QStringLiteral("<html><body><table><tr><td><table><tr><td>inner cell</td></tr></table>"
                                        "</td></tr></table><p>after</p></body></html>");
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    qputenv("KNVT_PRINT_PDF", pdf.toLocal8Bit());
    KNVTHTMLPrinter printer(page);
    int operations = 0;
    QList<bool> answers;
    printer.printWithInfo(
        std::nullopt,
        [&](QPrinter &qprinter) {
            ++operations;
            qprinter.setDocName(QStringLiteral("Nested"));
        },
        [&](bool printed) { answers << printed; });
    EXPECT_EQ(operations, 1);
    EXPECT_EQ(answers, QList<bool>{true});
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("inner cell")));
    EXPECT_TRUE(text.contains(QStringLiteral("after")));
    EXPECT_EQ(printer.printInfo().margins(QPageLayout::Point), QMarginsF(20, 10, 20, 10));

    // A place that cannot be written, whoever runs the test: a "folder" that is a file.
    QFile blocker(dir.filePath(QStringLiteral("locked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("KNVT_PRINT_PDF", (blocker.fileName() + QStringLiteral("/page.pdf")).toLocal8Bit());
    answers.clear();
    KNVTHTMLPrinter locked(page);
    locked.printWithInfo(std::nullopt, {}, [&](bool printed) { answers << printed; });
    EXPECT_EQ(answers, QList<bool>{false});

    // A page that cannot be read never reaches the printer.
    qputenv("KNVT_PRINT_PDF", pdf.toLocal8Bit());
    answers.clear();
    operations = 0;
    KNVTHTMLPrinter missing(QUrl::fromLocalFile(dir.filePath(QStringLiteral("missing.html"))));
    missing.printWithInfo(
        std::nullopt, [&](QPrinter &) { ++operations; }, [&](bool printed) { answers << printed; });
    EXPECT_EQ(answers, QList<bool>{false});
    EXPECT_EQ(operations, 0);

    // A page from a file prints.
    QFile file(dir.filePath(QStringLiteral("page.html")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>read from disk</p>");
    file.close();
    answers.clear();
    KNVTHTMLPrinter fromFile(QUrl::fromLocalFile(file.fileName()));
    fromFile.printWithInfo(std::nullopt, {}, [&](bool printed) { answers << printed; });
    EXPECT_EQ(answers, QList<bool>{true});
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("read from disk")));
    qunsetenv("KNVT_PRINT_PDF");
}

TEST_F(OutlineViewTest, PrintingThatFailsIsShownInOneAlertAndAnsweredAsAFailure)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("locked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString page = QStringLiteral("<p>a page</p>");
    const QString missingPage = dir.filePath(QStringLiteral("missing.html"));
    const QString inFile = blocker.fileName() + QStringLiteral("/page.pdf");
    struct Case
    {
        const char *what;
        QString pdf;
        QUrl url; // empty: the page text
        QString message;
    };
    const Case cases[] = {
        {"a place that cannot be written, whoever runs the test: a folder that is a file",
         inFile,
         {},
         QStringLiteral("The file \"%1\" could not be written: Not a directory.").arg(inFile)},
        {"a printer that takes no bytes: the device of a full disk",
         QStringLiteral("/dev/full"),
         {},
         QStringLiteral("Nothing could be written to \"/dev/full\".")},
        {"a page that cannot be read", dir.filePath(QStringLiteral("page.pdf")), QUrl::fromLocalFile(missingPage),
         QStringLiteral("The page \"%1\" could not be read.").arg(missingPage)},
        {"a page printed", dir.filePath(QStringLiteral("page.pdf")), {}, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const qsizetype alertsBefore = m_alerts.requests().size();
        qputenv("KNVT_PRINT_PDF", c.pdf.toLocal8Bit());
        const auto printer =
            c.url.isEmpty() ? std::make_unique<KNVTHTMLPrinter>(page) : std::make_unique<KNVTHTMLPrinter>(c.url);
        QList<bool> answers;
        printer->printWithInfo(std::nullopt, {}, [&](bool printed) { answers << printed; });
        EXPECT_EQ(answers, QList<bool>{c.message.isEmpty()});
        const QList<knvt::AlertPresenter::Request> shown = m_alerts.requests().mid(alertsBefore);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty());
            continue;
        }
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].title, QStringLiteral("Printing Failed"));
        EXPECT_EQ(shown[0].message, c.message);
        EXPECT_EQ(shown[0].buttonTitles, QStringList{QStringLiteral("OK")});
        EXPECT_TRUE(shown[0].critical);
    }
    qunsetenv("KNVT_PRINT_PDF");

    // The list's Print command, as the user gives it, says so too.
    auto list = showTagged(1);
    qputenv("KNVT_PRINT_PDF", inFile.toLocal8Bit());
    const qsizetype alertsBefore = m_alerts.requests().size();
    list->print();
    qunsetenv("KNVT_PRINT_PDF");
    ASSERT_EQ(m_alerts.requests().size(), alertsBefore + 1);
    EXPECT_EQ(m_alerts.requests().last().message,
              QStringLiteral("The file \"%1\" could not be written: Not a directory.").arg(inFile));
}

TEST_F(OutlineViewTest, APrintedListStartsTwentyPointsFromTheLeftUnderItsTitle)
{
    auto list = showTagged(2);
    select(*list, {list->tasks()[0], list->tasks()[1]});
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("tasks.pdf"));
    qputenv("KNVT_PRINT_PDF", pdf.toLocal8Bit());
    list->print();
    qunsetenv("KNVT_PRINT_PDF");
    QProcess box;
    box.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(box.waitForFinished());
    const QString xml = QString::fromUtf8(box.readAllStandardOutput());
    EXPECT_TRUE(xml.contains(QStringLiteral("<title>Tasks</title>")));
    const QRegularExpressionMatch first = QRegularExpression(QStringLiteral("<word xMin=\"([0-9.]+)\"")).match(xml);
    ASSERT_TRUE(first.hasMatch());
    EXPECT_NEAR(first.captured(1).toDouble(), 20.0, 4.0);
    EXPECT_TRUE(xml.contains(QStringLiteral(">0</word>")) && xml.contains(QStringLiteral(">1</word>")));
    EXPECT_FALSE(xml.contains(QStringLiteral(">closed</word>")));
}
