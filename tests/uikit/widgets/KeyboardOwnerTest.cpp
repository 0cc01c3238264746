#include "uikit/KeyboardOwner.h"

#include "support/FakeClock.h"
#include "support/FakeWindowSystem.h"
#include "support/WaitUntil.h"
#include "uikit/KNVTTokenField.h"
#include "uikit/Popover.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using knvt::KeyboardOwner;
using knvt::Opener;
using Activation = knvt::test::FakeWindowSystem::Activation;
using knvt::test::FakeWindowSystem;

constexpr Activation everyActivation[] = {Activation::Never, Activation::Early, Activation::AtOnce, Activation::Late,
                                          Activation::Twice};

// Counts the focus and activation changes a control hears.
class Hearing : public QObject
{
public:
    explicit Hearing(QWidget *control) : m_control(control) { control->installEventFilter(this); }
    int losses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        losses += event->type() == QEvent::FocusOut || event->type() == QEvent::WindowDeactivate;
        return false;
    }

private:
    QPointer<QWidget> m_control;
};

// A window as an application shows one: a text field and a Cancel button.
std::unique_ptr<QWidget> makeWindow(const QString &title)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(title);
    window->setObjectName(title);
    auto *layout = new QVBoxLayout(window.get());
    auto *field = new QLineEdit(window.get());
    field->setObjectName(QStringLiteral("field"));
    layout->addWidget(field);
    layout->addWidget(new QPushButton(QStringLiteral("Cancel"), window.get()));
    window->resize(300, 120);
    return window;
}

QLineEdit *fieldOf(const QWidget *window)
{
    return window->findChild<QLineEdit *>(QStringLiteral("field"));
}

class KeyboardOwnerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KeyboardOwner::install();
        knvt::Popover::animationsEnabled = false;
        main = makeWindow(QStringLiteral("Main"));
        auto *layout = static_cast<QVBoxLayout *>(main->layout());
        tokens = new KNVTTokenField(main.get());
        layout->addWidget(tokens);
        list = new QListWidget(main.get());
        list->addItems({QStringLiteral("Apples"), QStringLiteral("Basil"), QStringLiteral("Beans")});
        layout->addWidget(list);
        anchor = new QPushButton(QStringLiteral("People"), main.get());
        layout->addWidget(anchor);
        main->setGeometry(100, 100, 400, 400);
        KeyboardOwner::open(main.get(), Opener::User);
        waitForTheKeyboardIn(main.get());
    }
    void TearDown() override { knvt::Popover::animationsEnabled = true; }

    static void waitForTheKeyboardIn(QWidget *window)
    {
        for (int pass = 0; pass < 20 && QApplication::activeWindow() != window; ++pass)
            QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), window);
    }

    // Keys ("G", "Down") typed one by one, each going where the application's keyboard is when it comes, as a
    // window system delivers them (to an open pop-up first), with the application's events in between.
    static void type(const QStringList &keys)
    {
        for (const QString &key : keys) {
            QWidget *popup = QApplication::activePopupWidget();
            QWidget *to = popup != nullptr ? popup->focusWidget() : QApplication::focusWidget();
            if (to == nullptr)
                to = popup != nullptr ? popup : QApplication::activeWindow();
            ASSERT_NE(to, nullptr) << "no window has the keyboard";
            QTest::keySequence(to, QKeySequence(key));
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    static QStringList letters(const QString &text)
    {
        QStringList keys;
        for (const QChar letter : text)
            keys << QString(letter.toUpper());
        return keys;
    }

    // What holds the keyboard when a window opens: a control of the main window, or a popover's search; what is
    // typed before and after, and what it holds then.
    struct Holder
    {
        const char *name;
        std::function<QWidget *()> take;
        std::function<QString()> holds;
        QStringList before;
        QStringList after;
        QString holding;
    };
    std::vector<Holder> holders()
    {
        return {
            {"a text field",
             [this] {
                 fieldOf(main.get())->setFocus(Qt::MouseFocusReason);
                 return fieldOf(main.get());
             },
             [this] { return fieldOf(main.get())->text(); }, letters("gard"), letters("ening"), "gardening"},
            {"a token field",
             [this] {
                 tokens->editor()->setFocus(Qt::MouseFocusReason);
                 return tokens->editor();
             },
             // A tag cut in two would be two tokens.
             [this] { return tokens->editingString() + QLatin1Char('|') + tokens->tokenStrings().join(u','); },
             letters("garde"), letters("ning"), "gardening|"},
            {"a list",
             [this] {
                 list->setFocus(Qt::MouseFocusReason);
                 return list;
             },
             [this] { return list->currentItem() != nullptr ? list->currentItem()->text() : QString(); },
             {"Down", "Down"},
             {"Down"},
             "Beans"},
            {"a popover's search",
             [this] {
                 popover = new knvt::Popover(main.get());
                 popover->setAttribute(Qt::WA_DeleteOnClose);
                 auto *content = new QWidget;
                 auto *search = new QLineEdit(content);
                 (new QVBoxLayout(content))->addWidget(search);
                 popover->setContentWidget(content);
                 popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
                 return search;
             },
             [this] { return popover != nullptr ? popover->findChild<QLineEdit *>()->text() : QStringLiteral("gone"); },
             letters("ann"), letters("a"), "anna"},
            {"nothing",
             [this] {
                 if (QWidget *focused = QApplication::focusWidget())
                     focused->clearFocus();
                 return main.get();
             },
             [] {
                 return QApplication::focusWidget() != nullptr ? QApplication::focusWidget()->objectName() : QString();
             },
             letters("no"), letters("ne"), ""},
        };
    }

    std::unique_ptr<QWidget> main;
    KNVTTokenField *tokens = nullptr;
    QListWidget *list = nullptr;
    QPushButton *anchor = nullptr;
    QPointer<knvt::Popover> popover;
};

// How many connections Qt holds from the window to the application to follow the focus inside it.
int focusConnections(QWidget *window)
{
    struct Receivers : QObject
    {
        using QObject::receivers;
    };
    // The signal as Qt's own connection names it.
    return static_cast<Receivers *>(static_cast<QObject *>(window->windowHandle()))
        ->receivers("2focusObjectChanged(QObject*)");
}

} // namespace

TEST_F(KeyboardOwnerTest, AWindowTheApplicationOpensTakesNoKeyWhateverHoldsTheKeyboardAndWhateverTheWindowManagerDoes)
{
    for (const Activation activation : everyActivation) {
        knvt::test::FakeWindowSystem windowManager(activation);
        for (const Holder &holder : holders()) {
            SCOPED_TRACE(std::string(holder.name) + ", " + FakeWindowSystem::activationName(activation));
            QWidget *control = holder.take();
            QCoreApplication::processEvents();
            type(holder.before);
            Hearing hearing(control);

            std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
            KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
            type(holder.after);
            EXPECT_TRUE(KeyboardOwner::isWaiting(waiting.get()));
            EXPECT_EQ(fieldOf(waiting.get())->text(), QString()) << "no key reached it";
            EXPECT_EQ(holder.holds(), holder.holding);
            EXPECT_EQ(hearing.losses, 0) << "the control heard nothing of it";
            EXPECT_NE(QApplication::activeWindow(), waiting.get()) << "it does not look active";
            EXPECT_EQ(waiting->windowModality(), Qt::NonModal);

            waiting.reset();
            if (popover)
                popover->close();
            fieldOf(main.get())->clear();
            tokens->editor()->clear();
            QCoreApplication::processEvents();
            waitForTheKeyboardIn(main.get());
        }
    }
}

TEST_F(KeyboardOwnerTest, AWindowTheUserOpensComesUpWithTheKeyboardWhateverHoldsItAndWhateverTheWindowManagerDoes)
{
    for (const Activation activation : everyActivation) {
        knvt::test::FakeWindowSystem windowManager(activation);
        std::vector<Holder> rows = holders();
        // A pop-up holds the keyboard until the user leaves it: no command of the user's comes from elsewhere then.
        rows.erase(rows.begin() + 3);
        for (const Holder &holder : rows) {
            SCOPED_TRACE(std::string(holder.name) + ", " + FakeWindowSystem::activationName(activation));
            holder.take();
            QCoreApplication::processEvents();
            std::unique_ptr<QWidget> question = makeWindow(QStringLiteral("Question"));
            question->setWindowModality(Qt::ApplicationModal);
            KeyboardOwner::open(question.get(), Opener::User);
            waitForTheKeyboardIn(question.get());
            type(letters(QStringLiteral("yes")));
            EXPECT_FALSE(KeyboardOwner::isWaiting(question.get()));
            EXPECT_EQ(fieldOf(question.get())->text(), QStringLiteral("yes"));
            EXPECT_EQ(QApplication::activeModalWidget(), question.get());
            question.reset();
            QCoreApplication::processEvents();
            waitForTheKeyboardIn(main.get());
        }
    }
}

TEST_F(KeyboardOwnerTest, AClickInAWaitingWindowGivesItTheKeyboardAndItsModalityAndItsCloseGivesTheKeyboardBack)
{
    // A form floating over the main window, as a popover or quick entry does: a window manager never picks it.
    std::unique_ptr<QWidget> floating = makeWindow(QStringLiteral("Floating"));
    floating->setParent(main.get(), Qt::Tool);
    for (QWidget *userIn : {main.get(), floating.get()}) {
        for (const bool picksOnClose : {false, true}) {
            SCOPED_TRACE(userIn->objectName().toStdString()
                         + (picksOnClose ? ", the window manager picks a window on close" : ", no pick"));
            knvt::test::FakeWindowSystem windowManager(Activation::AtOnce, picksOnClose);
            KeyboardOwner::open(userIn, Opener::User);
            waitForTheKeyboardIn(userIn);
            fieldOf(userIn)->setFocus(Qt::MouseFocusReason);
            std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
            waiting->setWindowModality(Qt::ApplicationModal);
            KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
            type(letters(QStringLiteral("ab")));

            QTest::mouseClick(fieldOf(waiting.get()), Qt::LeftButton);
            type(letters(QStringLiteral("pw")));
            waitForTheKeyboardIn(waiting.get());
            EXPECT_EQ(fieldOf(waiting.get())->text(), QStringLiteral("pw")) << "the keys after the click are its own";
            EXPECT_EQ(QApplication::activeModalWidget(), waiting.get());
            EXPECT_FALSE(KeyboardOwner::isWaiting(waiting.get()));

            waiting->close();
            for (int pass = 0; pass < 10; ++pass)
                QCoreApplication::processEvents();
            EXPECT_EQ(windowManager.picks(), picksOnClose ? 1 : 0);
            EXPECT_EQ(QApplication::focusWidget(), fieldOf(userIn)) << "back in the field the user left";
            type(letters(QStringLiteral("c")));
            EXPECT_EQ(fieldOf(userIn)->text(), QStringLiteral("abc"));
            fieldOf(userIn)->clear();
        }
    }
}

TEST_F(KeyboardOwnerTest, AWaitingWindowStandsInFrontOfTheWindowItConcernsClearOfTheFieldWithTheKeyboard)
{
    knvt::test::FakeWindowSystem windowManager;
    QLineEdit *field = fieldOf(main.get());
    field->setFocus(Qt::MouseFocusReason);
    std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
    // Where it would cover the field.
    waiting->move(field->mapToGlobal(QPoint()));
    KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
    EXPECT_FALSE(waiting->frameGeometry().intersects(QRect(field->mapToGlobal(QPoint()), field->size())));
    EXPECT_EQ(waiting->windowHandle()->transientParent(), main->windowHandle());
}

TEST_F(KeyboardOwnerTest, ALoneWaitingWindowTheWindowManagerActivatesAnswersKeysOnlyOnceItHasBeenActiveForTheGuard)
{
    knvt::test::FakeClock clock(QDateTime(QDate(2015, 3, 4), QTime(12, 0)));
    knvt::test::FakeWindowSystem windowManager(Activation::AtOnce);
    main->hide();
    for (int pass = 0; pass < 20 && QApplication::activeWindow() != nullptr; ++pass)
        QCoreApplication::processEvents();
    std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
    KeyboardOwner::open(waiting.get(), Opener::Application);
    waitForTheKeyboardIn(waiting.get());
    fieldOf(waiting.get())->setFocus(Qt::OtherFocusReason);
    clock.setNow(clock.now().addMSecs(KeyboardOwner::GuardMilliseconds - 1));
    type(letters(QStringLiteral("no")));
    EXPECT_EQ(fieldOf(waiting.get())->text(), QString()) << "typed as it came up";
    EXPECT_TRUE(KeyboardOwner::isWaiting(waiting.get()));
    clock.setNow(clock.now().addMSecs(1));
    type(letters(QStringLiteral("pw")));
    EXPECT_EQ(fieldOf(waiting.get())->text(), QStringLiteral("pw"));
    EXPECT_FALSE(KeyboardOwner::isWaiting(waiting.get()));
}

TEST_F(KeyboardOwnerTest, AfterRestKeysActOnNothingUntilTheUserClicksSomewhere)
{
    knvt::test::FakeWindowSystem windowManager;
    fieldOf(main.get())->setFocus(Qt::MouseFocusReason);
    KeyboardOwner::rest();
    type(letters(QStringLiteral("lost")));
    EXPECT_EQ(fieldOf(main.get())->text(), QString());
    QTest::mouseClick(fieldOf(main.get()), Qt::LeftButton);
    type(letters(QStringLiteral("back")));
    EXPECT_EQ(fieldOf(main.get())->text(), QStringLiteral("back"));
}

TEST_F(KeyboardOwnerTest, AWindowKeptAndOpenedAgainAndAgainHoldsOneConnectionToFollowItsFocus)
{
    const std::unique_ptr<QWidget> kept = makeWindow(QStringLiteral("Kept"));
    for (int round = 0; round < 4; ++round) {
        KeyboardOwner::open(kept.get(), Opener::User);
        ASSERT_TRUE(knvt::test::waitUntil([&kept] { return QApplication::activeWindow() == kept.get(); }));
        kept->close();
        ASSERT_TRUE(knvt::test::waitUntil([this] { return QApplication::activeWindow() == main.get(); }));
    }
    EXPECT_EQ(focusConnections(kept.get()), 1);
}
