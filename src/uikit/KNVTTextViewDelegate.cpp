#include "uikit/KNVTTextViewDelegate.h"

bool KNVTTextViewDelegate::shouldTextViewInsertTab(KNVTTextView *)
{
    return true;
}

bool KNVTTextViewDelegate::shouldTextViewInsertBacktab(KNVTTextView *)
{
    return true;
}
