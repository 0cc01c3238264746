#include "uikit/KeyboardOwner.h"

#include "support/FakeClock.h"
#include "support/FakeWindowSystem.h"
#include "support/WaitUntil.h"
#include "uikit/Announcement.h"
#include "uikit/KNVTTokenField.h"
#include "uikit/Popover.h"
#include "uikit/WindowSystem.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QDialog>
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
    // QObject::receivers is protected: a pointer to it, named through a class of our own, reads it on any object.
    struct Receivers : QObject
    {
        static int of(const QObject *object, const char *signal) { return (object->*&Receivers::receivers)(signal); }
    };
    // The signal as Qt's own connection names it.
    return Receivers::of(window->windowHandle(), "2focusObjectChanged(QObject*)");
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
            // A pop-up closes when such a window shows: the window shows, and is told of, once it has gone.
            if (popover) {
                popover->close();
                QCoreApplication::processEvents();
            }
            const knvt::Announcement *told = knvt::Announcement::of(main.get());
            EXPECT_EQ(told != nullptr ? told->accessibleName() : QString(),
                      QStringLiteral("“Password” is waiting. Press F8 to answer it."))
                << "a reader hears of it where the user is";

            waiting.reset();
            EXPECT_EQ(told != nullptr ? told->accessibleName() : QString(), QString())
                << "no notice of it stays once it is gone";
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

// The password window answered from another program closes, and the window manager gives the keyboard back to that
// program: the window the user opens next (quick entry by its hot key) keeps the keyboard; its activation is no pick.
TEST_F(KeyboardOwnerTest, AWindowTheUserOpensAfterTheWindowManagersPickWentToAnotherProgramKeepsTheKeyboard)
{
    knvt::test::FakeWindowSystem windowManager(Activation::Never, /*picksOnClose=*/true);
    fieldOf(main.get())->setFocus(Qt::MouseFocusReason);
    windowManager.switchToAnotherProgram();
    std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
    KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
    ASSERT_TRUE(windowManager.switchTo(waiting.get()));
    waitForTheKeyboardIn(waiting.get());
    waiting->close();
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
    ASSERT_EQ(windowManager.picks(), 1);
    ASSERT_EQ(QApplication::activeWindow(), nullptr) << "the pick went to the other program";

    std::unique_ptr<QWidget> quickEntry = makeWindow(QStringLiteral("Quick Entry"));
    KeyboardOwner::open(quickEntry.get(), Opener::User);
    waitForTheKeyboardIn(quickEntry.get());
    fieldOf(quickEntry.get())->setFocus(Qt::OtherFocusReason);
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
    type(letters(QStringLiteral("milk")));
    EXPECT_EQ(fieldOf(quickEntry.get())->text(), QStringLiteral("milk"));
    EXPECT_EQ(fieldOf(main.get())->text(), QString());
}

// The window manager refuses the keyboard to the form the user opens, which Qt takes for active all the same (Mutter,
// now and then, a form popover right after a switch), and a sync closes the form: no pick comes, since the keyboard
// never left the window it was in, which is made active, its Go to Waiting Window key reaching the window the sync
// opened.
TEST_F(KeyboardOwnerTest, AFormTheWindowManagerRefusedTheKeyboardClosesAndTheWindowThatKeptItIsActive)
{
    knvt::test::FakeWindowSystem windowManager(Activation::Never, /*picksOnClose=*/true);
    QLineEdit *typing = fieldOf(main.get());
    typing->setFocus(Qt::MouseFocusReason);
    QAction goToWaiting(main.get());
    goToWaiting.setShortcut(QKeySequence(Qt::Key_F8));
    goToWaiting.setShortcutContext(Qt::WindowShortcut);
    main->addAction(&goToWaiting);
    QObject::connect(&goToWaiting, &QAction::triggered, &goToWaiting,
                     [] { KeyboardOwner::goTo(KeyboardOwner::waitingWindows().value(0)); });

    windowManager.refuseTheNextRequest();
    std::unique_ptr<QWidget> form = makeWindow(QStringLiteral("Edit"));
    KeyboardOwner::open(form.get(), Opener::User);
    waitForTheKeyboardIn(form.get());
    type(letters(QStringLiteral("now")));
    ASSERT_EQ(fieldOf(form.get())->text(), QStringLiteral("now"));
    ASSERT_EQ(windowManager.windowWithKeyboard(), main.get()) << "refused";

    form->close();
    std::unique_ptr<QWidget> alert = makeWindow(QStringLiteral("Deleted Elsewhere"));
    KeyboardOwner::open(alert.get(), Opener::Application, main.get());
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::processEvents();
    EXPECT_EQ(windowManager.picks(), 0);
    EXPECT_EQ(QApplication::activeWindow(), main.get());
    EXPECT_EQ(QApplication::focusWidget(), typing) << "back where the user was";

    // Typed where the window system has the keyboard.
    QTest::keyClick(windowManager.windowWithKeyboard(), Qt::Key_F8);
    EXPECT_TRUE(knvt::test::waitUntil([&] { return QApplication::activeWindow() == alert.get(); }));
    EXPECT_FALSE(KeyboardOwner::isWaiting(alert.get()));
}

// The window manager hands the focus to the waiting window by itself as the window the user was in goes away, told like
// a switch of the user's; the user's own switch, from a window that stays, is one.
TEST_F(KeyboardOwnerTest, TheWindowManagersFocusOfAWaitingWindowAsAWindowGoesIsGivenBackAndTheUsersSwitchIsTaken)
{
    std::unique_ptr<QWidget> quickEntry;
    const struct
    {
        const char *road;
        std::function<void(FakeWindowSystem &, QWidget *)> go;
        bool users;
    } roads[] = {
        {"another program's window closes",
         [](FakeWindowSystem &wm, QWidget *) {
             wm.switchToAnotherProgram();
             wm.closeAnotherProgram();
         },
         false},
        {"a window of the application closes",
         [&quickEntry](FakeWindowSystem &, QWidget *) {
             quickEntry = makeWindow(QStringLiteral("Quick Entry"));
             KeyboardOwner::open(quickEntry.get(), Opener::User);
             waitForTheKeyboardIn(quickEntry.get());
             quickEntry->close();
         },
         false},
        {"the user switches from the main window",
         [](FakeWindowSystem &wm, QWidget *waiting) { EXPECT_TRUE(wm.switchTo(waiting)); }, true},
        {"the user switches from another program",
         [](FakeWindowSystem &wm, QWidget *waiting) {
             wm.switchToAnotherProgram();
             EXPECT_TRUE(wm.switchTo(waiting));
         },
         true},
    };
    QLineEdit *typing = fieldOf(main.get());
    for (const auto &road : roads) {
        SCOPED_TRACE(road.road);
        knvt::test::FakeWindowSystem windowManager(Activation::Never, /*picksOnClose=*/true);
        typing->setFocus(Qt::MouseFocusReason);
        std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
        KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
        const int picks = windowManager.picks();

        road.go(windowManager, waiting.get());
        ASSERT_TRUE(knvt::test::waitUntil(
            [&] { return QApplication::activeWindow() == (road.users ? waiting.get() : main.get()); }));
        EXPECT_EQ(windowManager.picks(), picks + (road.users ? 0 : 1))
            << "the window manager picked the waiting window";
        type(letters(QStringLiteral("abc")));
        EXPECT_EQ(fieldOf(waiting.get())->text(), road.users ? QStringLiteral("abc") : QString());
        EXPECT_EQ(typing->text(), road.users ? QString() : QStringLiteral("abc")) << "back where the user was";
        EXPECT_EQ(KeyboardOwner::isWaiting(waiting.get()), !road.users);

        waiting.reset();
        quickEntry.reset();
        typing->clear();
        windowManager.activate(main.get());
        waitForTheKeyboardIn(main.get());
    }
}

// What a window system tells of a waiting window and what it asks, as the X layer does: the keyboard it gave the window by
// itself is given back (and Qt hears nothing of its leaving either) until it has left; only a switch stamped as the
// user's, from a window that is still there, is the user going there.
TEST_F(KeyboardOwnerTest, AWaitingWindowTheWindowSystemFocusesByItselfIsGivenBackUntilTheKeyboardLeavesIt)
{
    knvt::test::FakeWindowSystem windowManager;
    fieldOf(main.get())->setFocus(Qt::MouseFocusReason);
    std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
    KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
    knvt::WindowSystem::Listener *owner = knvt::WindowSystem::listener();
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(owner->isGivenBack(waiting.get()));

    EXPECT_EQ(owner->keyboardBackFrom(waiting.get()), main.get());
    EXPECT_TRUE(owner->isGivenBack(waiting.get()));
    EXPECT_FALSE(owner->userSwitchedTo(waiting.get(), /*stampedAsSwitch=*/false, false)) << "its own doing";
    EXPECT_FALSE(owner->userSwitchedTo(waiting.get(), true, /*cameFromGone=*/true)) << "its pick as a window went";
    EXPECT_TRUE(owner->isGivenBack(waiting.get()));
    owner->keyboardLeft(waiting.get());
    EXPECT_FALSE(owner->isGivenBack(waiting.get()));
    EXPECT_TRUE(KeyboardOwner::isWaiting(waiting.get()));

    EXPECT_TRUE(owner->userSwitchedTo(waiting.get(), true, false));
    EXPECT_FALSE(KeyboardOwner::isWaiting(waiting.get()));
    EXPECT_EQ(owner->keyboardBackFrom(waiting.get()), nullptr) << "the user went there: it keeps the keyboard";
    EXPECT_FALSE(owner->isGivenBack(waiting.get()));
}

TEST_F(KeyboardOwnerTest, AWaitingWindowStandsInFrontOfTheWindowItConcernsClearOfTheFieldWithTheKeyboard)
{
    // The frame the window manager says it puts around the window, which Qt does not know of yet as it is placed.
    for (const QMargins &frame : {QMargins(), QMargins(2, 30, 2, 2)}) {
        SCOPED_TRACE(frame.top());
        knvt::test::FakeWindowSystem windowManager;
        windowManager.setFrame(frame);
        const auto framed = [&frame](const QWidget *window) { return window->geometry().marginsAdded(frame); };
        QLineEdit *field = fieldOf(main.get());
        field->setFocus(Qt::MouseFocusReason);
        std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
        // Where it would cover the field.
        waiting->move(field->mapToGlobal(QPoint()));
        KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
        const QRect typedIn(field->mapToGlobal(QPoint()), field->size());
        EXPECT_FALSE(framed(waiting.get()).intersects(typedIn));
        EXPECT_EQ(waiting->windowHandle()->transientParent(), main->windowHandle());

        // A second one, where the first stands, stands clear of it and of the field.
        std::unique_ptr<QWidget> second = makeWindow(QStringLiteral("Newer Version"));
        second->move(waiting->pos());
        KeyboardOwner::open(second.get(), Opener::Application, main.get());
        EXPECT_FALSE(framed(second.get()).intersects(framed(waiting.get()))) << "it would hide the first whole";
        EXPECT_FALSE(framed(second.get()).intersects(typedIn));
    }
}

// A waiting window about the main window stands in front of the window the user is in, never bringing the main window
// in front of it with itself (a window manager raises a window's transient parent with it): over the main window only
// where the user is in it or in none of the application's windows.
TEST_F(KeyboardOwnerTest, AWaitingWindowStandsInFrontOfTheWindowTheUserIsInLeavingTheOneItConcernsBehind)
{
    knvt::test::FakeWindowSystem windowManager;
    std::unique_ptr<QWidget> people = makeWindow(QStringLiteral("People"));
    auto *add = new QPushButton(QStringLiteral("Add Friend"), people.get());
    people->layout()->addWidget(add);
    people->setGeometry(300, 200, 300, 200);
    KeyboardOwner::open(people.get(), Opener::User);
    waitForTheKeyboardIn(people.get());
    const struct
    {
        const char *name;
        std::function<void()> userIsIn;
        // The window that has the keyboard once the window system's activation has come.
        std::function<const QWidget *()> active;
        const QWidget *inFrontOf;
    } rows[] = {
        {"the main window", [&] { windowManager.switchTo(main.get()); }, [this] { return main.get(); }, main.get()},
        {"another window", [&] { windowManager.switchTo(people.get()); }, [&] { return people.get(); }, people.get()},
        {"a form popover of another window",
         [&] {
             windowManager.switchTo(people.get());
             popover = new knvt::Popover(people.get());
             popover->setAttribute(Qt::WA_DeleteOnClose);
             // As a form's: it stays open beside the other windows.
             popover->setBehavior(knvt::Popover::Behavior::SemiTransient);
             auto *content = new QWidget;
             (new QVBoxLayout(content))->addWidget(new QLineEdit(content));
             popover->setContentWidget(content);
             popover->showRelativeTo(QRect(), add, knvt::Opener::User);
         },
         [this] { return popover.data(); }, people.get()},
        {"another program", [&] { windowManager.switchToAnotherProgram(); }, [] { return nullptr; }, main.get()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        row.userIsIn();
        ASSERT_TRUE(knvt::test::waitUntil([&] { return QApplication::activeWindow() == row.active(); }));
        std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
        KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
        ASSERT_NE(waiting->windowHandle(), nullptr);
        EXPECT_EQ(waiting->windowHandle()->transientParent(), row.inFrontOf->windowHandle())
            << (waiting->windowHandle()->transientParent() != nullptr
                    ? waiting->windowHandle()->transientParent()->title().toStdString()
                    : std::string("none"));
        EXPECT_TRUE(KeyboardOwner::isWaiting(waiting.get()));
        if (popover != nullptr)
            popover->close();
    }
}

TEST_F(KeyboardOwnerTest, ALoneWaitingWindowTheWindowManagerActivatesAnswersAKeyOnlyAfterAPauseOfTheGuard)
{
    knvt::test::FakeClock clock(QDateTime(QDate(2015, 3, 4), QTime(12, 0)));
    knvt::test::FakeWindowSystem windowManager(Activation::AtOnce);
    // A minimized window is no place to send the keys to.
    main->showMinimized();
    std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
    KeyboardOwner::open(waiting.get(), Opener::Application);
    ASSERT_TRUE(knvt::test::waitUntil([&] { return QApplication::activeWindow() == waiting.get(); }));
    fieldOf(waiting.get())->setFocus(Qt::OtherFocusReason);
    // The guard counts from its activation and from the key before, on a clock that a wall clock set back moves not.
    const struct
    {
        const char *keys;
        qint64 pauseBefore;
        bool setBack;
        const char *holds;
    } steps[] = {
        {"no", 0, false, ""},
        {"t", KeyboardOwner::GuardMilliseconds - 1, false, ""},
        {"y", KeyboardOwner::GuardMilliseconds / 2, false, ""},
        {"e", KeyboardOwner::GuardMilliseconds - 1, false, ""},
        {"t", 0, true, ""},
        {"pw", KeyboardOwner::GuardMilliseconds, false, "pw"},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.keys);
        clock.setNow(clock.now().addMSecs(step.pauseBefore));
        if (step.setBack)
            clock.setNow(clock.now().addSecs(-3600));
        type(letters(QString::fromLatin1(step.keys)));
        EXPECT_EQ(fieldOf(waiting.get())->text(), QString::fromLatin1(step.holds));
    }
    EXPECT_FALSE(KeyboardOwner::isWaiting(waiting.get()));
    main->showNormal();
}

TEST_F(KeyboardOwnerTest, AfterRestTheKeysTypedOnActOnNothingUntilTheUserGoesSomewhere)
{
    knvt::test::FakeWindowSystem windowManager;
    QLineEdit *field = fieldOf(main.get());
    const struct
    {
        const char *act;
        std::function<void()> go;
        // Where the keys typed next go, and what the act itself typed there.
        QWidget *then;
        const char *typed = "";
    } acts[] = {
        {"a click", [field] { QTest::mouseClick(field, Qt::LeftButton); }, field},
        {"Tab, which goes on to the next control", [] { type({QStringLiteral("Tab")}); },
         main->findChild<QPushButton *>(QString(), Qt::FindDirectChildrenOnly)},
        {"Escape, which does nothing else", [] { type({QStringLiteral("Escape")}); }, field},
        {"the key to what waits", [] { type({QStringLiteral("F8")}); }, field},
        {"Quit, which asks first", [] { type({QStringLiteral("Ctrl+Q")}); }, field},
        // Here no menu takes it: it goes on into the field.
        {"a menu's letter", [] { type({QStringLiteral("Alt+W")}); }, field, "w"},
    };
    for (const auto &act : acts) {
        SCOPED_TRACE(act.act);
        field->setFocus(Qt::MouseFocusReason);
        KeyboardOwner::rest();
        type(letters(QStringLiteral("lost")) << QStringLiteral("Return") << QStringLiteral("Ctrl+N"));
        EXPECT_EQ(field->text(), QString());
        EXPECT_TRUE(KeyboardOwner::isResting());
        const knvt::Announcement *told = knvt::Announcement::of(main.get());
        EXPECT_EQ(told != nullptr ? told->accessibleName() : QString(),
                  QStringLiteral("The form you typed in closed. The keys you type do nothing until you press Tab or "
                                 "Escape, or click."))
            << "a reader told of the control the keys went back to hears that they do nothing";
        act.go();
        EXPECT_FALSE(KeyboardOwner::isResting());
        EXPECT_EQ(told != nullptr ? told->accessibleName() : QString(), QString()) << "no notice of it stays";
        ASSERT_TRUE(knvt::test::waitUntil([&] { return QApplication::focusWidget() == act.then; }));
        if (act.then == field) {
            type(letters(QStringLiteral("back")));
            EXPECT_EQ(field->text(), QString::fromLatin1(act.typed) + QStringLiteral("back"));
        }
        field->clear();
    }
}

TEST_F(KeyboardOwnerTest, TheStandInWindowManagerKeepsTheRulesOfTheDesktop)
{
    for (const Activation activation : everyActivation) {
        SCOPED_TRACE(FakeWindowSystem::activationName(activation));
        knvt::test::FakeWindowSystem windowManager(activation);
        fieldOf(main.get())->setFocus(Qt::MouseFocusReason);
        std::unique_ptr<QWidget> refusing = makeWindow(QStringLiteral("Refusing"));
        refusing->winId();
        refusing->windowHandle()->setFlag(Qt::WindowDoesNotAcceptFocus);
        std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
        std::unique_ptr<QWidget> tool = makeWindow(QStringLiteral("Tool"));
        tool->setWindowFlag(Qt::Tool);
        tool->show();
        main->activateWindow();
        KeyboardOwner::open(refusing.get(), Opener::Application, main.get());
        KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
        // Late and twice come at the next key.
        type(letters(QStringLiteral("ab")));
        EXPECT_EQ(QApplication::activeWindow(), main.get());
        EXPECT_EQ(windowManager.activationsOnItsOwn(),
                  activation == Activation::Never ? 0 : 1 + (activation == Activation::Twice));
        QStringList offered = windowManager.switcherTitles();
        offered.sort();
        EXPECT_EQ(offered, (QStringList{QStringLiteral("Main"), QStringLiteral("Password")}))
            << "its switcher offers what accepts the keyboard";
        EXPECT_FALSE(windowManager.switchTo(refusing.get()));
        EXPECT_FALSE(windowManager.switchTo(tool.get()));
        EXPECT_TRUE(KeyboardOwner::isWaiting(refusing.get()));
        fieldOf(main.get())->clear();
    }
}

TEST_F(KeyboardOwnerTest, EveryRoadToAWaitingWindowGivesItTheKeyboardAndItsModalityAndKeepsEveryKeyTypedOn)
{
    using Road = std::function<void(FakeWindowSystem &, QWidget *)>;
    const struct
    {
        const char *name;
        Road go;
        // Whether it is there when no window of the application shows.
        bool alone;
    } roads[] = {
        {"the window switcher", [](FakeWindowSystem &wm, QWidget *waiting) { EXPECT_TRUE(wm.switchTo(waiting)); },
         true},
        {"the Window menu, its key, the status line",
         [](FakeWindowSystem &, QWidget *waiting) { KeyboardOwner::goTo(waiting); }, false},
        {"a screen reader's focus request in it",
         [](FakeWindowSystem &, QWidget *waiting) {
             QAccessible::queryAccessibleInterface(fieldOf(waiting))
                 ->actionInterface()
                 ->doAction(QAccessibleActionInterface::setFocusAction());
         },
         true},
        {"a click in it",
         [](FakeWindowSystem &, QWidget *waiting) { QTest::mouseClick(fieldOf(waiting), Qt::LeftButton); }, true},
    };
    QLineEdit *typing = fieldOf(main.get());
    for (const bool alone : {false, true}) {
        for (const auto &road : roads) {
            if (alone && !road.alone)
                continue;
            SCOPED_TRACE(std::string(road.name) + (alone ? ", the main window minimized" : ", the main window shown"));
            knvt::test::FakeWindowSystem windowManager;
            typing->setFocus(Qt::MouseFocusReason);
            if (alone) {
                main->showMinimized();
                windowManager.switchToAnotherProgram();
            }
            std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
            waiting->setWindowModality(Qt::ApplicationModal);
            KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
            ASSERT_TRUE(KeyboardOwner::isWaiting(waiting.get()));
            EXPECT_EQ(KeyboardOwner::waitingWindows(), QList<QWidget *>{waiting.get()});

            road.go(windowManager, waiting.get());
            // Typed on at once, wherever the keyboard is until the window has it.
            if (!alone)
                type(letters(QStringLiteral("pw")));
            ASSERT_TRUE(knvt::test::waitUntil([&] { return QApplication::activeWindow() == waiting.get(); }));
            if (alone)
                type(letters(QStringLiteral("pw")));
            EXPECT_EQ(fieldOf(waiting.get())->text(), QStringLiteral("pw")) << "every key reached it";
            EXPECT_EQ(typing->text(), QString());
            EXPECT_EQ(QApplication::activeModalWidget(), waiting.get());
            EXPECT_TRUE(KeyboardOwner::waitingWindows().isEmpty());

            waiting.reset();
            main->showNormal();
            windowManager.activate(main.get());
            ASSERT_TRUE(knvt::test::waitUntil([&] { return QApplication::focusWidget() == typing; }))
                << "back where the user was";
        }
    }
}

TEST_F(KeyboardOwnerTest, AWaitingWindowOverASheetThatClosesStandsOverTheWindowUnderItClearOfItsButtons)
{
    knvt::test::FakeWindowSystem windowManager;
    auto *sheet = new QDialog(main.get());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(sheet);
    auto *title = new QLineEdit(sheet);
    layout->addWidget(title);
    auto *save = new QPushButton(QStringLiteral("Save"), sheet);
    layout->addWidget(save);
    sheet->setGeometry(150, 150, 300, 120);
    KeyboardOwner::open(sheet, Opener::User);
    ASSERT_TRUE(knvt::test::waitUntil([&] { return QApplication::focusWidget() == title; }));
    std::unique_ptr<QWidget> waiting = makeWindow(QStringLiteral("Password"));
    // Where it would cover the sheet's Save.
    waiting->move(save->mapToGlobal(QPoint()));
    KeyboardOwner::open(waiting.get(), Opener::Application, main.get());
    EXPECT_EQ(waiting->windowHandle()->transientParent(), sheet->windowHandle()) << "in front of the sheet";
    for (const QWidget *kept : {static_cast<QWidget *>(title), static_cast<QWidget *>(save)})
        EXPECT_FALSE(waiting->frameGeometry().intersects(QRect(kept->mapToGlobal(QPoint()), kept->size())))
            << kept->metaObject()->className();

    sheet->close();
    EXPECT_EQ(waiting->windowHandle()->transientParent(), main->windowHandle()) << "in front of the window under it";
    EXPECT_TRUE(waiting->isVisible());
    EXPECT_TRUE(KeyboardOwner::isWaiting(waiting.get()));
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

// A window the user opened and a modal window over it opened next; the window manager activates the first late (Mutter,
// mapping it late, answers its request for the keyboard after the modal window took it): the keys stay in the modal one.
TEST_F(KeyboardOwnerTest, AWindowActivatedLateUnderTheModalWindowTheUserOpenedOverItLeavesTheKeysThere)
{
    knvt::test::FakeWindowSystem windowManager;
    std::unique_ptr<QWidget> preferences = makeWindow(QStringLiteral("Preferences"));
    for (const Qt::WindowModality modality : {Qt::WindowModal, Qt::ApplicationModal}) {
        SCOPED_TRACE(modality == Qt::WindowModal ? "a sheet" : "an application-modal window");
        KeyboardOwner::open(preferences.get(), Opener::User);
        waitForTheKeyboardIn(preferences.get());
        std::unique_ptr<QWidget> modal = makeWindow(QStringLiteral("Sign In"));
        modal->setParent(preferences.get(), Qt::Dialog);
        modal->setWindowModality(modality);
        KeyboardOwner::open(modal.get(), Opener::User);
        waitForTheKeyboardIn(modal.get());
        fieldOf(modal.get())->setFocus(Qt::OtherFocusReason);

        windowManager.activate(preferences.get());
        for (int pass = 0; pass < 10; ++pass)
            QCoreApplication::processEvents();
        type(letters(QStringLiteral("pw")));
        EXPECT_EQ(QApplication::activeWindow(), modal.get());
        EXPECT_EQ(fieldOf(modal.get())->text(), QStringLiteral("pw"));
        EXPECT_EQ(fieldOf(preferences.get())->text(), QString());
        modal.reset();
        preferences->hide();
    }
}
