#include "lists/SavingAlertHandler.h"

#include "store/KNVTTaskStore.h"

#include "uikit/AlertAdditions.h"

namespace knvt {

KNVTAlertHandler savingAlertHandler(Opener opener)
{
    const KNVTAlertHandler standard = alertHandler(opener);
    return [standard](const QString &title, const QString &message, const QStringList &buttonTitles,
                      qsizetype cancelIndex, qsizetype destructiveIndex, KNVTAlertIndexHandler indexHandler) {
        standard(title, message, buttonTitles, cancelIndex, destructiveIndex,
                 [indexHandler = std::move(indexHandler)](qsizetype index) {
                     if (indexHandler)
                         indexHandler(index);
                     KNVTTaskStore::defaultTaskStore()->saveLater(knvt::Opener::User);
                 });
    };
}

} // namespace knvt
