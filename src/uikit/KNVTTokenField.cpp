#include "uikit/KNVTTokenField.h"

#include "uikit/TokenFieldAccessible.h"

#include "foundation/StringAdditions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QStringListModel>

#include <memory>

namespace {

constexpr int FontPixelSize = 13;
// Inside a token cell: text padding left and right of the chip, the gap after it and the gap above and below.
constexpr int TokenPadding = 7;
constexpr int TokenGap = 3;
constexpr int LineGap = 1;

// `share` of the way from `from` to `to`.
QColor blend(const QColor &from, const QColor &to, qreal share)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * share),
                            float(a.greenF() + (b.greenF() - a.greenF()) * share),
                            float(a.blueF() + (b.blueF() - a.blueF()) * share));
}

} // namespace

KNVTTokenField::KNVTTokenField(QWidget *parent) : QWidget(parent)
{
    knvt::TokenFieldAccessible::install();
    QFont font = this->font();
    font.setPixelSize(FontPixelSize);
    setFont(font);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_editor = new QLineEdit(this);
    m_editor->setObjectName(QStringLiteral("tokenFieldEditor"));
    m_editor->setFrame(false);
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_editor->setPalette(palette);
    m_editor->installEventFilter(this);
    setFocusProxy(m_editor);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    connect(m_editor, &QLineEdit::textEdited, this, &KNVTTokenField::editorTextEdited);

    m_completions = new QStringListModel(this);
    m_completer = new QCompleter(m_completions, this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->setWidget(m_editor);
    connect(m_completer, qOverload<const QString &>(&QCompleter::activated), this,
            &KNVTTokenField::completionActivated);

    relayout();
}

KNVTTokenField::~KNVTTokenField()
{
    // The line edit loses the focus while it is torn down; that must not make a token of a field that is going.
    m_editor->removeEventFilter(this);
}

void KNVTTokenField::setDelegate(KNVTTokenFieldDelegate *delegate)
{
    m_delegate.set(delegate);
    relayout();
}

void KNVTTokenField::setObjectValue(const QVariantList &objectValue)
{
    m_objectValue = objectValue;
    relayout();
    emit objectValueChanged();
}

QString KNVTTokenField::displayString(const QVariant &representedObject) const
{
    if (KNVTTokenFieldDelegate *delegate = m_delegate.get())
        return delegate->tokenField(const_cast<KNVTTokenField *>(this), representedObject);
    return representedObject.toString();
}

QStringList KNVTTokenField::tokenStrings() const
{
    QStringList strings;
    for (const QVariant &object : m_objectValue)
        strings.append(displayString(object));
    return strings;
}

QString KNVTTokenField::editingString() const
{
    return m_editor->text();
}

bool KNVTTokenField::tokenizeEditingString()
{
    const QString text = knvt::trimmedString(m_editor->text());
    m_editor->clear();
    if (text.isEmpty())
        return false;
    appendToken(text);
    return true;
}

bool KNVTTokenField::appendToken(const QString &text)
{
    QVariant object;
    KNVTTokenFieldDelegate *delegate = m_delegate.get();
    if (delegate)
        object = delegate->representedObjectForEditingString(this, text);
    if (!object.isValid())
        object = text;
    const QVariantList added =
        delegate ? delegate->shouldAddObjects(this, QVariantList{object}, m_objectValue.size()) : QVariantList{object};
    if (added.isEmpty())
        return false;
    m_objectValue.append(added);
    relayout();
    emit objectValueChanged();
    return true;
}

int KNVTTokenField::tokenIndexAt(const QPoint &position) const
{
    const Layout layout = currentLayout();
    for (qsizetype i = 0; i < layout.tokenRects.size(); ++i) {
        if (layout.tokenRects.at(i).adjusted(0, 0, -TokenGap, 0).contains(position))
            return int(i);
    }
    return -1;
}

QRect KNVTTokenField::tokenRect(int index) const
{
    const Layout layout = currentLayout();
    if (index < 0 || index >= layout.tokenRects.size())
        return {};
    return layout.tokenRects.at(index).adjusted(0, LineGap, -TokenGap, -LineGap);
}

QMimeData *KNVTTokenField::mimeDataForTokens(const QList<int> &indexes) const
{
    KNVTTokenFieldDelegate *delegate = m_delegate.get();
    QVariantList objects;
    for (int index : indexes) {
        if (index >= 0 && index < m_objectValue.size())
            objects.append(m_objectValue.at(index));
    }
    if (!delegate || objects.isEmpty())
        return nullptr;
    auto mime = std::make_unique<QMimeData>();
    if (!delegate->writeRepresentedObjects(const_cast<KNVTTokenField *>(this), objects, *mime))
        return nullptr;
    return mime.release();
}

bool KNVTTokenField::dropMimeData(const QMimeData &mime)
{
    KNVTTokenFieldDelegate *delegate = m_delegate.get();
    if (!delegate)
        return false;
    bool added = false;
    for (const QString &text : delegate->readFromPasteboard(this, mime)) {
        const QString trimmed = knvt::trimmedString(text);
        if (!trimmed.isEmpty())
            added = appendToken(trimmed) || added;
    }
    return added;
}

QMenu *KNVTTokenField::menuForToken(int index) const
{
    KNVTTokenFieldDelegate *delegate = m_delegate.get();
    if (!delegate || index < 0 || index >= m_objectValue.size())
        return nullptr;
    auto *self = const_cast<KNVTTokenField *>(this);
    if (!delegate->hasMenuForRepresentedObject(self, m_objectValue.at(index)))
        return nullptr;
    return delegate->menuForRepresentedObject(self, m_objectValue.at(index));
}

void KNVTTokenField::removeLastToken()
{
    if (m_objectValue.isEmpty())
        return;
    m_objectValue.removeLast();
    relayout();
    emit objectValueChanged();
}

void KNVTTokenField::editorTextEdited(const QString &text)
{
    // A comma ends a token, whether typed or pasted; whatever follows the last comma is still being typed.
    if (text.contains(QLatin1Char(','))) {
        const QStringList pieces = text.split(QLatin1Char(','));
        for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
            const QString piece = knvt::trimmedString(pieces.at(i));
            if (!piece.isEmpty())
                appendToken(piece);
        }
        m_editor->setText(pieces.last());
    }

    const QString substring = m_editor->text();
    KNVTTokenFieldDelegate *delegate = m_delegate.get();
    const QStringList completions =
        delegate && !substring.trimmed().isEmpty() ? delegate->completionsForSubstring(this, substring) : QStringList();
    m_completions->setStringList(completions);
    if (completions.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    m_completer->setCompletionPrefix(substring);
    m_completer->complete(m_editor->rect());
}

void KNVTTokenField::completionActivated(const QString &completion)
{
    m_editor->setText(completion);
    tokenizeEditingString();
}

QSize KNVTTokenField::tokenCellSize(const QString &displayString) const
{
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(displayString) + 2 * TokenPadding + TokenGap,
                 metrics.height() + 2 + 2 * LineGap);
}

int KNVTTokenField::cellHeight() const
{
    return tokenCellSize(QString()).height() + 2 * FrameInset;
}

QList<QSize> KNVTTokenField::tokenSizes() const
{
    QList<QSize> sizes;
    for (const QString &string : tokenStrings())
        sizes.append(tokenCellSize(string));
    return sizes;
}

KNVTTokenField::Layout KNVTTokenField::layoutTokens(int width, int cellHeight, const QList<QSize> &tokenSizes)
{
    Layout layout;
    int height = cellHeight;
    const int lineHeight = cellHeight - 2 * FrameInset;
    int lineWidth = 0;
    int lineTop = FrameInset;
    for (const QSize &size : tokenSizes) {
        if (lineWidth == 0) {
            lineWidth = size.width();
            layout.tokenRects.append(QRect(QPoint(FrameInset, lineTop), size));
        } else if (width > lineWidth + size.width()) {
            layout.tokenRects.append(QRect(QPoint(FrameInset + lineWidth, lineTop), size));
            lineWidth += size.width();
        } else {
            lineTop += size.height();
            height += size.height();
            layout.tokenRects.append(QRect(QPoint(FrameInset, lineTop), size));
            lineWidth = size.width();
        }
    }
    const int room = width - 2 * FrameInset - lineWidth;
    if (lineWidth == 0 || room >= MinimumEditorWidth)
        layout.editorRect = QRect(FrameInset + lineWidth, lineTop, qMax(room, 0), lineHeight);
    else
        layout.editorRect = QRect(FrameInset, lineTop + lineHeight, qMax(width - 2 * FrameInset, 0), lineHeight);
    layout.height = height;
    return layout;
}

KNVTTokenField::Layout KNVTTokenField::currentLayout() const
{
    return layoutTokens(width(), cellHeight(), tokenSizes());
}

void KNVTTokenField::relayout()
{
    m_editor->setGeometry(currentLayout().editorRect);
    updateEditorAccessibility();
    updateGeometry();
    update();
}

void KNVTTokenField::updateEditorAccessibility()
{
    m_editor->setAccessibleName(knvt::TokenFieldAccessible::fieldName(this));
    m_editor->setAccessibleDescription(tokenStrings().join(QStringLiteral(", ")));
}

void KNVTTokenField::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateEditorAccessibility();
}

void KNVTTokenField::sizeToFit()
{
    resize(width(), currentLayout().height);
}

QSize KNVTTokenField::sizeHint() const
{
    const int width = this->width() > 1 ? this->width() : 240;
    const Layout layout = layoutTokens(width, cellHeight(), tokenSizes());
    return QSize(width, qMax(layout.height, layout.editorRect.bottom() + 1 + FrameInset));
}

QSize KNVTTokenField::minimumSizeHint() const
{
    return QSize(MinimumEditorWidth + 2 * FrameInset, cellHeight());
}

bool KNVTTokenField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_editor)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // An empty Return goes on to the window (its default button); one that makes a token stops here.
            if (tokenizeEditingString()) {
                key->accept();
                return true;
            }
        } else if (key->key() == Qt::Key_Backspace && m_editor->text().isEmpty() && !m_objectValue.isEmpty()) {
            removeLastToken();
            key->accept();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        updateEditorAccessibility();
        update();
        break;
    case QEvent::FocusOut:
        update();
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            tokenizeEditingString();
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void KNVTTokenField::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && m_editor)
        relayout();
    QWidget::changeEvent(event);
}

void KNVTTokenField::mousePressEvent(QMouseEvent *event)
{
    m_pressedToken = event->button() == Qt::LeftButton ? tokenIndexAt(event->position().toPoint()) : -1;
    m_pressPosition = event->position().toPoint();
    m_editor->setFocus(Qt::MouseFocusReason);
    m_editor->end(false);
    QWidget::mousePressEvent(event);
}

void KNVTTokenField::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedToken < 0 || (event->buttons() & Qt::LeftButton) == 0
        || (event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance()) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const int token = m_pressedToken;
    m_pressedToken = -1;
    if (QMimeData *mime = mimeDataForTokens({token})) {
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction);
    }
}

void KNVTTokenField::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressedToken = -1;
    QWidget::mouseReleaseEvent(event);
}

void KNVTTokenField::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(menuForToken(tokenIndexAt(event->pos())));
    if (!menu) {
        QWidget::contextMenuEvent(event);
        return;
    }
    menu->exec(event->globalPos());
    event->accept();
}

void KNVTTokenField::dragEnterEvent(QDragEnterEvent *event)
{
    KNVTTokenFieldDelegate *delegate = m_delegate.get();
    // A token dragged out of this field and back adds nothing.
    if (delegate && event->source() != this && !delegate->readFromPasteboard(this, *event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void KNVTTokenField::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() != this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void KNVTTokenField::dropEvent(QDropEvent *event)
{
    if (event->source() == this || !dropMimeData(*event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void KNVTTokenField::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void KNVTTokenField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(m_editor->hasFocus() ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
    painter.setBrush(isEnabled() ? palette().color(QPalette::Base) : palette().color(QPalette::Window));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

    const QStringList strings = tokenStrings();
    QList<QSize> sizes;
    for (const QString &string : strings)
        sizes.append(tokenCellSize(string));
    const Layout layout = layoutTokens(width(), cellHeight(), sizes);
    painter.setFont(font());
    // Chips tinted with the selection colour over the field's background, lettered in its text colour, so that they
    // read under a light and a dark palette alike.
    const QColor base = palette().color(QPalette::Base);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor tokenFill = blend(base, highlight, 0.22);
    const QColor tokenStroke = blend(base, highlight, 0.6);
    const QColor tokenText = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    for (qsizetype i = 0; i < strings.size(); ++i) {
        const QRectF chip =
            QRectF(layout.tokenRects.at(i)).adjusted(0.5, LineGap + 0.5, -TokenGap - 0.5, -LineGap - 0.5);
        QPainterPath path;
        path.addRoundedRect(chip, chip.height() / 2, chip.height() / 2);
        painter.setPen(tokenStroke);
        painter.setBrush(tokenFill);
        painter.drawPath(path);
        painter.setPen(tokenText);
        painter.drawText(chip, Qt::AlignCenter, strings.at(i));
    }
}
