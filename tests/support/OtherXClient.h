#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

struct xcb_connection_t;

namespace knvt::test {

// Another program on the same X server: its own connection, a plain window that can take the focus, passive grabs
// of its own, and synthetic key presses (XTest) that the server delivers as if typed on the keyboard. Key codes come
// from the server's live keymap.
class OtherXClient
{
public:
    // Connects to $DISPLAY; isConnected() is false when there is no X server.
    OtherXClient();
    ~OtherXClient();
    OtherXClient(const OtherXClient &) = delete;
    OtherXClient &operator=(const OtherXClient &) = delete;

    bool isConnected() const { return m_connection != nullptr; }

    // Maps a small window and gives it the input focus, standing for the program the user works in.
    void showFocusedWindow();
    bool hasFocus() const;
    // The program closes that window (it is destroyed); the window manager hands the focus on by itself.
    void closeWindow();
    // Key presses the server delivered to that window since the last call: what the user typed there reached it.
    int takeKeyPresses();

    // The X key code at an XKB key name ("AD09" is the O key of a US keyboard) in the server's keymap.
    quint8 keycodeForName(const char *name) const;

    // Presses and releases a chord such as "Ctrl+Shift+O" or "Ctrl+Alt+AC07": modifiers (Ctrl, Shift, Alt, Super)
    // and a letter or digit of the US positions, or an XKB key name. With `holdMilliseconds` the chord stays down
    // that long, long enough for the server to repeat the key.
    void press(const QString &chord, int holdMilliseconds = 0);
    // Toggles Caps Lock.
    void toggleCapsLock();
    // Takes a passive grab on the root window; false when another client holds it.
    bool grab(const QString &chord);
    void ungrab(const QString &chord);
    // Locks keyboard group `group` (switches among the layouts of "us,de").
    void lockGroup(int group);
    // Waits for the server to have handled everything sent so far.
    void sync();

private:
    struct Chord
    {
        quint8 keycode = 0;
        quint16 modifiers = 0;
        QList<quint8> modifierKeys;
    };
    Chord parse(const QString &chord) const;
    void fakeKey(quint8 keycode, bool press);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_window = 0;
};

} // namespace knvt::test
