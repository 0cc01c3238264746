#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <vector>

class QJsonValue;

namespace knvt::test {

// One element of the application as a screen reader gets it over the accessibility bus.
struct BusElement
{
    QString window;
    QString role;
    QString name;
    QString description;
    QStringList states;
    // Of a focus heard: the window the reader had last been told was active as it heard it ("" when none).
    QString activeWindow;

    // "push button Save", as a reader announces it.
    QString asRead() const { return role + QLatin1Char(' ') + name; }
};

// Reads this test process's own windows over the accessibility bus through scripts/atspi-reader, the way a screen
// reader reads them (inside scripts/with-x11 and scripts/with-atspi). The application answers the reader from its
// event loop, which every request spins while it waits.
class BusReader
{
public:
    BusReader();
    ~BusReader();
    BusReader(const BusReader &) = delete;
    BusReader &operator=(const BusReader &) = delete;

    // False when the reader could not find the application on the bus.
    bool isReady() const { return m_ready; }

    // Every focusable element of the shown windows, or of those named `window` only, in the order the reader walks
    // them.
    std::vector<BusElement> controls(const QString &window = QString());
    // The element with the keyboard focus, if any.
    std::optional<BusElement> focus();
    // What the focus went to since the last call, as the reader heard it ("push button General").
    QStringList focusHeard();
    // The same, each with its window and the window the reader had last been told was active.
    std::vector<BusElement> focusPlacesHeard();
    // What the application announced since the last call, wherever the focus was: the texts of the notifications
    // that showed.
    QStringList announced();
    // What the reader heard of the application's windows since the last call: "activate Quillvane".
    QStringList windowsHeard();
    // Every event the application sent about its elements' text, names and values since the last call, as
    // "TYPE<TAB>ROLE NAME<TAB>DATA" ("object:text-changed:insert\tpassword text Password:\t•").
    QStringList textEvents();
    // Everything the focused element answers when asked about its text (its whole text, the text at each offset,
    // its selection, value and description); none when nothing has the focus or the reader got no answer.
    std::optional<QStringList> textAnswers();
    // The states of the shown window named `window` as the reader reads them ("active"); none when it does not show.
    std::optional<QStringList> windowStates(const QString &window);
    // Asks for the keyboard focus in the control named `name` of the window named `window`, as a reader's user does
    // who goes there; whether the application took the request.
    bool grabFocus(const QString &window, const QString &name);
    // The focus as read ("push button Close"), once it reads `expected` or after `timeout`.
    QString focusOnceItReads(const QString &expected,
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

private:
    QJsonValue request(const QByteArray &line);

    QProcess m_reader;
    bool m_ready = false;
};

} // namespace knvt::test
