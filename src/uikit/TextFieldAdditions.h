#pragma once

class QLineEdit;

namespace knvt {

// Turns a line edit between an input field (editable, framed, base background) and a plain label (read-only, no
// frame, transparent background).
void setEditable(QLineEdit *field, bool editable);

} // namespace knvt
