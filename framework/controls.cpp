#include "framework/controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionFrame>

#include "framework/control_id.h"

namespace framework {

const QEvent::Type ValidationRequest::kType =
    static_cast<QEvent::Type>(QEvent::registerEventType());

QPointer<TEdit> TEdit::underValidation_;

TButton::TButton(int id, const QString& text, QWidget* parent) : QPushButton(text, parent) {
    SetControlId(this, id);
    setAutoDefault(false);
}

TComboBox::TComboBox(int id, QWidget* parent) : QComboBox(parent) {
    SetControlId(this, id);
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
}

TStatic::TStatic(int id, const QString& text, QWidget* parent) : QLabel(text, parent) {
    SetControlId(this, id);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
}

TEdit::TEdit(int id, const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    SetControlId(this, id);
    // Text arrives only through keystrokes, pastes and the program.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

TEdit::~TEdit() = default;

void TEdit::SetValidator(std::unique_ptr<TValidator> validator) {
    validator_ = std::move(validator);
}

TEdit* TEdit::FieldUnderValidation() {
    return underValidation_.data();
}

bool TEdit::IsValid(bool reportError) {
    if (!validator_ || validator_->IsValid(text())) return true;
    if (reportError) WarnDetached();
    return false;
}

void TEdit::WarnDetached() {
    // While the warning is up the field loses the focus to it; with the validator
    // detached that starts no validation of its own.
    std::unique_ptr<TValidator> validator = std::move(validator_);
    QPointer<TEdit> self = this;
    validator->Error(this);
    if (self) validator_ = std::move(validator);
}

bool TEdit::CanClose() {
    if (!isEnabled()) return true;
    if (IsValid(true)) return true;
    underValidation_ = this;
    setFocus(Qt::OtherFocusReason);
    return false;
}

void TEdit::ValidateAfterFocusLoss() {
    if (!validator_) return;
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
    if (underValidation_ == this) underValidation_.clear();
    WarnDetached();
}

bool TEdit::FitsVisibleWidth(const QString& candidate) const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                               .marginsRemoved(textMargins());
    constexpr int kInnerMargin = 2;  // the line edit's own margin on each side of the text
    return fontMetrics().horizontalAdvance(candidate) <= contents.width() - 2 * kInnerMargin;
}

bool TEdit::event(QEvent* event) {
    // A field whose text fails claims Tab for itself and warns; one that passes lets the
    // dialog move the focus.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !IsValid(false)) {
            IsValid(true);
            return true;
        }
    }
    return QLineEdit::event(event);
}

namespace {

// Keys that reach an edit field as characters: printable text and the editing shortcuts
// paste, cut, copy and undo. Insert and Delete produce no character, with or without
// Shift, so they and every other key go through untested.
bool ProducesCharacter(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        const int key = event->key();
        return key == Qt::Key_V || key == Qt::Key_X || key == Qt::Key_C || key == Qt::Key_Z;
    }
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

void TEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace || !ProducesCharacter(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString before = text();
    const int caretBefore = cursorPosition();
    const int selectionEnd =
        hasSelectedText() ? selectionStart() + selectedText().size() : cursorPosition();
    const bool endedAtEnd = selectionEnd == before.size();

    QLineEdit::keyPressEvent(event);

    const QString after = text();
    if (after == before) return;
    const bool accepted =
        FitsVisibleWidth(after) && (!validator_ || validator_->IsValidInput(after, false));
    if (!accepted) {
        setText(before);
        setCursorPosition(caretBefore);
    } else if (endedAtEnd) {
        setCursorPosition(after.size());
    }
}

void TEdit::focusInEvent(QFocusEvent* event) {
    if (underValidation_ == this) underValidation_.clear();
    QLineEdit::focusInEvent(event);
}

void TEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Opening the context menu takes the focus only for a moment.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (!validator_ || underValidation_) return;
    // Focus gone to no window of this program (another program, or nowhere), or to a
    // dialog command: nothing to check now.
    const QWidget* next = QApplication::focusWidget();
    if (!next || next == this) return;
    const int nextId = ControlId(next);
    if (nextId == IdOk || nextId == IdCancel) return;
    if (IsValid(false)) return;
    underValidation_ = this;
    if (QWidget* dialog = parentWidget()) {
        QCoreApplication::postEvent(dialog, new ValidationRequest(this));
    }
}

void TEdit::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's Paste bypasses the keystroke test; only the visible width limits it.
    const QString before = text();
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    QPointer<TEdit> self = this;
    menu->exec(event->globalPos());
    if (self && !FitsVisibleWidth(text())) setText(before);
}

void TEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle-button paste of X11 is treated like the context menu's Paste.
    const QString before = text();
    QLineEdit::mouseReleaseEvent(event);
    if (text() != before && !FitsVisibleWidth(text())) setText(before);
}

}  // namespace framework
