// The recorder's two costs that grow with the surroundings: rebuilding the map from key texts to key codes after
// the keyboard layout changes, and checking a chord against the whole main menu while the user records.
#include "support/BudgetMain.h"
#include "support/OffscreenApplication.h"

#include "hotkeys/CompiledKeyboardLayout.h"
#include "hotkeys/KNVTKeyCodeTransformer.h"
#include "hotkeys/KNVTShortcutValidator.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <benchmark/benchmark.h>

namespace {

// Menus need widgets, so the benchmarks run on a QApplication.
const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

void BM_RegenerateReverseKeyMap(benchmark::State &state)
{
    knvt::CompiledKeyboardLayout layout(QStringLiteral("de"));
    knvt::KeyboardLayoutSource::setCurrent(&layout);
    for (auto _ : state)
        KNVTKeyCodeTransformer::regenerateStringToKeyCodeMapping();
    benchmark::DoNotOptimize(KNVTKeyCodeTransformer().reverse(QStringLiteral("Z")));
    knvt::KeyboardLayoutSource::setCurrent(nullptr);
}
BENCHMARK(BM_RegenerateReverseKeyMap)->Unit(benchmark::kMicrosecond);

// 300 items with shortcuts in 10 menus of 3 submenus each; Command-O is used by none of them, so every item is
// compared, and the 50 items on Ctrl alone by their key too.
void BM_ValidateChordAgainstMenuBar300(benchmark::State &state)
{
    knvt::CompiledKeyboardLayout layout(QStringLiteral("us"));
    knvt::KeyboardLayoutSource::setCurrent(&layout);
    QMenuBar bar;
    const QString keys = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    const char *const modifiers[] = {"Ctrl+", "Ctrl+Shift+", "Ctrl+Alt+", "Alt+Shift+", "Meta+", "Ctrl+Meta+"};
    int item = 0;
    for (int m = 0; m < 10; ++m) {
        QMenu *menu = bar.addMenu(QStringLiteral("Menu %1").arg(m));
        for (int s = 0; s < 3; ++s) {
            QMenu *submenu = menu->addMenu(QStringLiteral("Submenu %1").arg(s));
            for (int i = 0; i < 10; ++i, ++item) {
                QAction *action = submenu->addAction(QStringLiteral("Item %1").arg(item));
                action->setShortcut(QKeySequence(QString::fromLatin1(modifiers[item % 6]) + keys.at(item % 36)));
            }
        }
    }
    KNVTShortcutValidator validator;
    const QList<QAction *> actions = bar.actions();
    KNVTShortcutError error;
    for (auto _ : state)
        benchmark::DoNotOptimize(validator.isKeyCodeTakenInMenu(31, 0x100, actions, &error));
    knvt::KeyboardLayoutSource::setCurrent(nullptr);
}
BENCHMARK(BM_ValidateChordAgainstMenuBar300)->Unit(benchmark::kMicrosecond);

} // namespace
