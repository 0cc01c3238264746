#pragma once

class KNVTCDUser;
class KNVTUserSelection;

// Told at once of every tick and untick in a user selection list.
class KNVTUserSelectionDelegate
{
public:
    virtual ~KNVTUserSelectionDelegate() = default;

    virtual void userSelectionDidSelectUser(KNVTUserSelection *selection, KNVTCDUser *user) = 0;
    virtual void userSelectionDidDeselectUser(KNVTUserSelection *selection, KNVTCDUser *user) = 0;
};
