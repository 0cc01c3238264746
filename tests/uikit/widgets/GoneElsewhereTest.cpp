#include "uikit/GoneElsewhere.h"

#include "uikit/AlertPresenter.h"

#include <QApplication>
#include <QLineEdit>
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
