#pragma once

#include "foundation/KNVTAlertHandler.h"
#include "foundation/Opener.h"

namespace knvt {

// The alert handler every list, the home list and the model's own questions use: the interface kit's standard
// handler, its question opened as `opener` says, with a save of the shared store once the model has acted on the
// answer. Without that save an answer (complete the open tasks, keep the watchers) would wait for some later save,
// unseen by the lists and lost if the program stopped first. The answer is the user's: so is the save.
KNVTAlertHandler savingAlertHandler(Opener opener);

} // namespace knvt
