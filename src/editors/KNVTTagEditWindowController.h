#pragma once

#include "editors/TitleSheet.h"

#include <QUrl>

class KNVTCDTag;

// The sheet that renames a tag. It opens on the tag's title with Save disabled (the title is taken, by the tag
// itself) and takes only a title no tag carries and that differs from the one it loaded, so that a rename made by a
// sync meanwhile is never undone by the title the sheet opened with; the title is stored without its surrounding
// spaces, as a new tag's is, and saved at once. It closes by itself when the tag is deleted.
class KNVTTagEditWindowController : public knvt::TitleSheet
{
    Q_OBJECT

public:
    explicit KNVTTagEditWindowController(KNVTCDTag *tag, QWidget *parent = nullptr);
    ~KNVTTagEditWindowController() override;

    // nullptr once the tag is gone.
    KNVTCDTag *tag() const;

protected:
    bool canSave() const override;
    bool performSave() override;

private:
    QUrl m_tagURI;
    QString m_loadedTitle;
};
