#pragma once

#include "uikit/KNVTTokenFieldDelegate.h"
#include "uikit/WeakDelegate.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QVariantList>
#include <QWidget>

class QCompleter;
class QLineEdit;
class QStringListModel;

// A field of tokens (the tags of a task and the like): the represented objects of its value are drawn as rounded
// chips that wrap from line to line, followed by a line edit where the user types the next token. Return, Enter,
// a comma or leaving the field turns the typed text into a token; Backspace in the empty line edit removes the last
// token. While the user types, the delegate's completions are offered in a popup. The delegate decides which typed
// or dropped tokens are added, whether a token can be dragged out (and what the drag carries), what dropped data
// adds, and which tokens have a context menu.
//
// The field keeps no strings of its own: every token text comes from the delegate's answer for its object (an object's
// own string form when there is no delegate).
class KNVTTokenField : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QVariantList objectValue READ objectValue WRITE setObjectValue NOTIFY objectValueChanged)
    Q_PROPERTY(QStringList tokenStrings READ tokenStrings)
    Q_PROPERTY(QString editingString READ editingString)

public:
    // Where the tokens and the line edit stand in a field, and the field's height by the fitting rule.
    struct Layout
    {
        QList<QRect> tokenRects;
        QRect editorRect;
        int height = 0;
    };

    // Space between the field's edge and its first line of tokens.
    static constexpr int FrameInset = 2;
    // The line edit goes to a line of its own when less room than this is left after the last token.
    static constexpr int MinimumEditorWidth = 40;

    explicit KNVTTokenField(QWidget *parent = nullptr);
    ~KNVTTokenField() override;

    // Not owned; a QObject delegate is forgotten when it is destroyed.
    KNVTTokenFieldDelegate *delegate() const { return m_delegate.get(); }
    void setDelegate(KNVTTokenFieldDelegate *delegate);

    QVariantList objectValue() const { return m_objectValue; }
    void setObjectValue(const QVariantList &objectValue);

    // The display string of each token, in order.
    QStringList tokenStrings() const;
    // The text typed but not yet a token.
    QString editingString() const;

    QLineEdit *editor() const { return m_editor; }
    QCompleter *completer() const { return m_completer; }

    // Turns the typed text, trimmed, into a token at the end. Returns false, leaving the tokens alone, when there is
    // no text.
    bool tokenizeEditingString();

    // The token under `position` (field coordinates), or -1.
    int tokenIndexAt(const QPoint &position) const;
    // Where the chip of token `index` stands (field coordinates); empty for no such token.
    QRect tokenRect(int index) const;
    // What a drag of the tokens at `indexes` carries; nullptr when the delegate refuses it.
    QMimeData *mimeDataForTokens(const QList<int> &indexes) const;
    // Adds what dropped `mime` stands for, as if each of its texts had been typed; returns whether anything was
    // added.
    bool dropMimeData(const QMimeData &mime);
    // The context menu of the token at `index` (the caller owns it); nullptr when it has none.
    QMenu *menuForToken(int index) const;

    // Fits the field's height to its wrapped tokens, keeping its position and width (see layoutTokens()).
    void sizeToFit();

    // The cell a token showing `displayString` takes: the chip with the gap after and around it.
    QSize tokenCellSize(const QString &displayString) const;
    // The height of the field with one line of tokens.
    int cellHeight() const;

    // Lays tokens of the given cell sizes out in a field `width` wide. The first token always starts the first
    // line; each further token stays on the current line when `width` is greater than the line's width so far plus
    // its own, and otherwise starts a new line, which adds its height to `cellHeight`. The line edit follows the
    // last token, or takes a line of its own below when less than MinimumEditorWidth is left; that line is not
    // counted in `height`.
    static Layout layoutTokens(int width, int cellHeight, const QList<QSize> &tokenSizes);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void objectValueChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QString displayString(const QVariant &representedObject) const;
    QList<QSize> tokenSizes() const;
    Layout currentLayout() const;
    void relayout();
    // The line edit goes by the field's name and describes the tokens, for screen readers that read the focused
    // element only.
    void updateEditorAccessibility();
    // Returns whether the delegate let anything be added.
    bool appendToken(const QString &text);
    void removeLastToken();
    void editorTextEdited(const QString &text);
    void completionActivated(const QString &completion);

    knvt::WeakDelegate<KNVTTokenFieldDelegate> m_delegate;
    QVariantList m_objectValue;
    QLineEdit *m_editor = nullptr;
    QCompleter *m_completer = nullptr;
    QStringListModel *m_completions = nullptr;
    int m_pressedToken = -1;
    QPoint m_pressPosition;
};
