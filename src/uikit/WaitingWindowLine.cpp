#include "uikit/WaitingWindowLine.h"

#include "uikit/ActionSet.h"
#include "uikit/KeyboardOwner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace knvt {

namespace {

// A name as the line quotes it: its first line, its start where it is long (what the user reads first, and what the
// Window menu and the window's title begin with), up to a whole word.
QString quoted(const QString &name)
{
    constexpr qsizetype Longest = 40;
    QString line = name.section(QLatin1Char('\n'), 0, 0).simplified();
    if (line.size() <= Longest)
        return line;
    line = line.left(Longest - 1);
    const qsizetype word = line.lastIndexOf(QLatin1Char(' '));
    return (word > 0 ? line.left(word) : line) + QChar(0x2026);
}

} // namespace

WaitingWindowLine::WaitingWindowLine(QWidget *parent)
    : QWidget(parent), m_label(new QLabel(this)), m_button(new QPushButton(this))
{
    setObjectName(QStringLiteral("waitingLine"));
    setAccessibleName(tr("Waiting Windows"));
    m_label->setObjectName(QStringLiteral("waitingLabel"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_button->setObjectName(QStringLiteral("waitingButton"));
    m_button->setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 4, 2);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_button, 0, Qt::AlignVCenter);
    connect(m_button, &QPushButton::clicked, this, [this] { KeyboardOwner::goTo(m_window); });
    if (KeyboardOwner *owner = KeyboardOwner::installed())
        connect(owner, &KeyboardOwner::waitingChanged, this, &WaitingWindowLine::reload);
    reload();
}

void WaitingWindowLine::reload()
{
    const QList<QWidget *> waiting = KeyboardOwner::waitingWindows();
    QWidget *typingIn = KeyboardOwner::restingTypingIn();
    m_window = typingIn != nullptr ? typingIn : (waiting.isEmpty() ? nullptr : waiting.first());
    setVisible(m_window != nullptr);
    if (m_window == nullptr)
        return;
    const QString name = quoted(KeyboardOwner::nameOf(m_window));
    if (typingIn != nullptr) {
        const QList<QKeySequence> keys = ActionSet::keys(Command::GoToWaitingWindow);
        m_label->setText(tr("The form closed: what you typed is in “%1”. Press %2 to open it.")
                             .arg(name, keys.isEmpty() ? QString() : keys.first().toString(QKeySequence::NativeText)));
        m_button->setText(tr("Open"));
    } else {
        m_label->setText(waiting.size() == 1
                             ? tr("“%1” is waiting:").arg(name)
                             : tr("“%1” and %n more are waiting:", nullptr, int(waiting.size() - 1)).arg(name));
        m_button->setText(tr("Answer"));
    }
    // What the button does, as a screen reader reads it with the button.
    m_button->setAccessibleDescription(m_label->text());
}

} // namespace knvt
