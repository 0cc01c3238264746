#pragma once

#include <Qt>

namespace knvt {

// Model roles every list model of the program answers alike, so that views, delegates and drag code can read a row
// without knowing which model it comes from.
enum ItemDataRole : int {
    // The URI (QUrl) of the object identifier of the entity a row shows; the task store resolves it. Section rows
    // have none.
    ObjectUriRole = Qt::UserRole + 1,
};

} // namespace knvt
