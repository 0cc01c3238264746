#pragma once

#include <QIcon>
#include <QSizeF>
#include <QString>

class QPainter;

// The small images inside the shortcut recorder, drawn in code at whatever size and scale they are asked for:
// "KNVTSnapback" (the arrow that returns to the previous shortcut) and "KNVTRemoveShortcut" with its "Rollover" and
// "Pressed" variants (the button that clears it), each 14 x 14 points.
class KNVTShortcutImageProvider
{
public:
    // The same icon for the same name every time; a null icon for a name outside the four.
    static QIcon supportingImageWithName(const QString &name);
    // The size in points; empty for an unknown name.
    static QSizeF sizeOfImageWithName(const QString &name);
    // Draws the image `name` into the rectangle (0, 0, size) of the painter.
    static void drawImageWithName(const QString &name, QPainter &painter, const QSizeF &size);
};

// The snap-back arrow, white with a soft shadow below it, filling (0, 0, size).
void drawKNVTSnapback(QPainter &painter, const QSizeF &size);
// The round remove button: a black disc at 1 - opacity with a white cross.
void drawKNVTRemoveShortcut(QPainter &painter, const QSizeF &size, double opacity);
