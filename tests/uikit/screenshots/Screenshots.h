#pragma once

#include <QString>

#include <functional>
#include <initializer_list>

class QWidget;

namespace knvt::test {

// Writes one PNG per control and state into the output folder, named "<group>-<state>.png".
class ScreenshotWriter
{
public:
    ScreenshotWriter(QString folder, QString group);
    // Shows `widget` offscreen at its size hint (or its current size when `keepSize`), lets pending events run so
    // animations settle, and saves what it painted.
    void save(const QString &state, QWidget *widget, bool keepSize = false);
    int written() const { return m_written; }

private:
    QString m_folder;
    QString m_group;
    int m_written = 0;
};

using ScreenshotFunction = std::function<void(ScreenshotWriter &)>;

// Texts a screenshot shows that are the fixture's own data (titles, people's names, the texts an alert fixture was
// given), not the program's: the audit of KNVT_SCREENSHOT_AUDIT does not ask them to come from tr().
void addFixtureTexts(std::initializer_list<QString> texts);

struct ScreenshotRegistration
{
    ScreenshotRegistration(const char *group, ScreenshotFunction function);
};

} // namespace knvt::test

// KNVT_SCREENSHOTS(Switch) { QWidget w; ...; writer.save("off", &w); }
#define KNVT_SCREENSHOTS(group)                                                                                        \
    static void knvtScreenshots_##group(knvt::test::ScreenshotWriter &writer);                                         \
    static const knvt::test::ScreenshotRegistration knvtScreenshotRegistration_##group(#group,                         \
                                                                                       knvtScreenshots_##group);       \
    static void knvtScreenshots_##group(knvt::test::ScreenshotWriter &writer)
