#pragma once

#include <QLineEdit>

namespace knvt {

// A field the user types a password into. It shows a mask, and tells assistive technology nothing of what is typed:
// Qt's own line edit reads out "" when asked for a password's text, yet hands every character typed, deleted or
// replaced in clear to the screen-reader bridge with its text-changed events, which a reader echoes aloud and any
// program on the session bus may log. The events of every field not showing its text are carried on with one mask
// character for each character (none at all for a field that shows nothing), from the first such field on.
class PasswordField : public QLineEdit
{
    Q_OBJECT

public:
    explicit PasswordField(QWidget *parent = nullptr);
};

} // namespace knvt
