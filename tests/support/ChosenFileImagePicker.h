#pragma once

// Header-only, so that knvt_test_support needs no part of the account windows: test executables that include it link
// knvt_accounts themselves.
#include "accounts/ImagePicker.h"

#include <QFileInfo>
#include <QString>

namespace knvt::test {

// Installed as the shared picture picker for its lifetime; "chooses" the file set with choose() at once, as the
// chooser would once the user picked it, or cancels when no file is set.
class ChosenFileImagePicker final : public knvt::ImagePicker
{
public:
    ChosenFileImagePicker() { knvt::ImagePicker::setShared(this); }
    ~ChosenFileImagePicker() override { knvt::ImagePicker::setShared(nullptr); }
    ChosenFileImagePicker(const ChosenFileImagePicker &) = delete;
    ChosenFileImagePicker &operator=(const ChosenFileImagePicker &) = delete;

    void choose(const QString &path) { m_path = path; }
    void cancelNext() { m_path.clear(); }
    int pickCount() const { return m_picks; }

    void pickImage(QWidget *, Completion completion) override
    {
        ++m_picks;
        if (m_path.isEmpty())
            return;
        if (completion)
            completion(accountImageFromFile(m_path), QFileInfo(m_path).fileName());
    }

private:
    QString m_path;
    int m_picks = 0;
};

} // namespace knvt::test
