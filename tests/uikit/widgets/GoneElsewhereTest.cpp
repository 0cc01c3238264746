#include "uikit/GoneElsewhere.h"

#include "uikit/AlertPresenter.h"
#include "uikit/UnsavedTyping.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using knvt::AlertPresenter;
using knvt::EditedObject;

namespace {

// Alerts as the application's presenter shows them: each returns only once answered, and all are answered together
// once as many are up as the test waits for (or a failsafe passes, so that a fault fails rather than hangs).
class AnsweringTogether : public AlertPresenter
{
public:
    explicit AnsweringTogether(int expected) : m_expected(expected) {}

    Response runModal(const Request &request) override
    {
        titles << request.title;
        typed << request.typed;
        ++m_open;
        mostAtOnce = std::max(mostAtOnce, m_open);
        QTimer failsafe;
        failsafe.setSingleShot(true);
        QObject::connect(&failsafe, &QTimer::timeout, &failsafe, [this] { m_answered = true; });
        failsafe.start(5000);
        while (!m_answered && m_open < m_expected)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
        m_answered = true;
        --m_open;
        return {};
    }

    QStringList titles;
    QStringList typed;
    int mostAtOnce = 0;

private:
    int m_expected;
    int m_open = 0;
    bool m_answered = false;
};

std::unique_ptr<QWidget> makeForm(const QString &title)
{
    auto form = std::make_unique<QWidget>();
    form->setWindowTitle(title);
    (new QVBoxLayout(form.get()))->addWidget(new QLineEdit(form.get()));
    form->show();
    return form;
}

} // namespace

// One sync takes away the tasks of two forms: an alert for each, all up at once, so that F8 and the Window menu reach
// every one while the others wait; the alert of the form the user was typing in first, whatever order the forms
// closed in, as the window the typing went to.
TEST(GoneElsewhereTest, OneChangeClosingTwoFormsRaisesTheirAlertsAtOnceTheTypedInOneFirst)
{
    AnsweringTogether presenter(2);
    AlertPresenter::setShared(&presenter);
    const std::unique_ptr<QWidget> mow = makeForm(QStringLiteral("Mow"));
    const std::unique_ptr<QWidget> rake = makeForm(QStringLiteral("Rake"));
    QApplication::setActiveWindow(rake.get());
    rake->findChild<QLineEdit *>()->setFocus();
    ASSERT_TRUE(rake->findChild<QLineEdit *>()->hasFocus());

    knvt::tellObjectWentAway(EditedObject::Task, QStringLiteral("Mow"), mow.get(), knvt::Opener::Application, true,
                             {QStringLiteral("Mow soon")});
    knvt::tellObjectWentAway(EditedObject::Task, QStringLiteral("Rake"), rake.get(), knvt::Opener::Application, true,
                             {QStringLiteral("Rake now")});
    for (int pass = 0; pass < 100 && presenter.titles.size() < 2; ++pass)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    AlertPresenter::setShared(nullptr);

    ASSERT_EQ(presenter.titles.size(), 2) << presenter.titles.join(u'|').toStdString();
    EXPECT_EQ(presenter.mostAtOnce, 2) << "the second came only once the first was answered";
    EXPECT_TRUE(presenter.titles.first().contains(QStringLiteral("Rake"))) << presenter.titles.join(u'|').toStdString();
}

// What a form closed under the user gives back is each field's text once, as typed: the form names its fields' texts as
// they stand (a title typed up to the space before its next word, notes ended by a new line), and the held changes of
// its fields name the same texts trimmed.
TEST(GoneElsewhereTest, WhatWasTypedInTheFormComesBackWithEachFieldsTextOnce)
{
    const struct
    {
        const char *name;
        QString title;
        QString notes;
        QString givenBack;
    } rows[] = {
        {"a title typed up to a space", QStringLiteral("Held 6 typed "), QString(), QStringLiteral("Held 6 typed")},
        {"notes ended by a new line", QString(), QStringLiteral("Roots first\n"), QStringLiteral("Roots first")},
        {"both", QStringLiteral(" Held 6 typed"), QStringLiteral("Roots first\n\n"),
         QStringLiteral("Held 6 typed\n\nRoots first")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        AnsweringTogether presenter(1);
        AlertPresenter::setShared(&presenter);
        QWidget form;
        auto *title = new QLineEdit(&form);
        auto *notes = new QPlainTextEdit(&form);
        auto *layout = new QVBoxLayout(&form);
        layout->addWidget(title);
        layout->addWidget(notes);
        form.show();
        // The user's typing into what the form loaded, as the form lists it.
        title->setText(QStringLiteral("Held"));
        QStringList named;
        if (!row.title.isEmpty()) {
            knvt::UnsavedTyping::changing(title);
            title->setText(row.title);
            named << row.title;
        }
        if (!row.notes.isEmpty()) {
            knvt::UnsavedTyping::changing(notes);
            notes->setPlainText(row.notes);
            named << row.notes;
        }

        knvt::tellObjectWentAway(EditedObject::Task, QStringLiteral("Held"), &form, knvt::Opener::Application, true,
                                 named);
        for (int pass = 0; pass < 100 && presenter.typed.isEmpty(); ++pass)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        AlertPresenter::setShared(nullptr);
        knvt::UnsavedTyping::forget(&form);

        EXPECT_EQ(presenter.typed, QStringList{row.givenBack});
    }
}
