#pragma once

// What a test or screenshot process draws with is the suite's, never the developer's desktop: a desktop's fonts (Noto
// Sans, the CJK families) measure text differently from DejaVu Sans, and its platform theme brings its own font size,
// style, icon theme and scaling, so a widget's size or a label's place would pass on one machine and fail on another.
// The benchmarks do not use this: they measure what a user's desktop costs.
#include <QApplication>
#include <QFont>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace knvt::test {

// The fonts scripts/install-deps installs (fonts-dejavu-core).
inline constexpr char SuiteFontFolder[] = "/usr/share/fonts/truetype/dejavu";
inline constexpr char SuiteFontFamily[] = "DejaVu Sans";

// Before the application is made: fontconfig reads a configuration written into `scratch` that knows only the
// suite's fonts (the machine's rules and folders are not included), and Qt picks no theme of the desktop the
// process was started from. Processes the test starts inherit both. Ends the process when the fonts are missing,
// since every measure of text would then be the machine's.
inline void useTheSuitesDesktop(const std::filesystem::path &scratch)
{
    if (!std::filesystem::is_directory(SuiteFontFolder)) {
        std::fprintf(stderr, "%s is missing: scripts/install-deps installs fonts-dejavu-core\n", SuiteFontFolder);
        std::exit(2);
    }
    const std::filesystem::path configuration = scratch / "fonts.conf";
    {
        std::ofstream file(configuration);
        file << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n"
             << "  <dir>" << SuiteFontFolder
             << "</dir>\n"
             // The machine's cache of the folder is read when it is current; otherwise the process writes its own.
             << "  <cachedir>/var/cache/fontconfig</cachedir>\n"
             << "  <cachedir>" << (scratch / "fontconfig").string() << "</cachedir>\n";
        const char *const aliases[][2] = {
            {"sans-serif", SuiteFontFamily}, {"serif", "DejaVu Serif"}, {"monospace", "DejaVu Sans Mono"}};
        for (const auto &[generic, family] : aliases)
            file << "  <alias><family>" << generic << "</family><prefer><family>" << family
                 << "</family></prefer></alias>\n";
        file << "</fontconfig>\n";
        if (!file) {
            std::perror("fonts.conf");
            std::exit(2);
        }
    }
    setenv("FONTCONFIG_FILE", configuration.c_str(), 1);
    // Qt chooses its platform theme, and with it the style, fonts, icon theme and palette, from these.
    for (const char *name :
         {"QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION",
          "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
          "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING", "QT_FONT_DPI", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        unsetenv(name);
}

// Once the application is made: its font is the suite's family at the size the platform gives.
inline void useTheSuitesFont()
{
    QFont font = QApplication::font();
    font.setFamilies({QString::fromLatin1(SuiteFontFamily)});
    QApplication::setFont(font);
}

} // namespace knvt::test
