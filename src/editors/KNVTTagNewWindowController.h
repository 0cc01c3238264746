#pragma once

#include "editors/TitleSheet.h"

// The sheet that creates a tag. Tag titles are unique: Save is enabled only while the title has something besides
// white space and no tag carries it already, whatever its letter case, accents or surrounding spaces. The new tag is
// saved at once.
class KNVTTagNewWindowController : public knvt::TitleSheet
{
    Q_OBJECT

public:
    explicit KNVTTagNewWindowController(QWidget *parent = nullptr);

    // A title no live tag carries.
    static bool isFreeTagTitle(const QString &title);

protected:
    bool canSave() const override;
    bool performSave() override;
};
