#pragma once

class KNVTTextView;

// Lets the owner of a KNVTTextView take Tab and Back-Tab for its own focus chain. Both answers default to true,
// which leaves the key to the text view.
class KNVTTextViewDelegate
{
public:
    virtual ~KNVTTextViewDelegate() = default;

    // false: the text view does nothing with Tab.
    virtual bool shouldTextViewInsertTab(KNVTTextView *textView);
    // false: the text view does nothing with Back-Tab (Shift-Tab).
    virtual bool shouldTextViewInsertBacktab(KNVTTextView *textView);
};
