// The dialog's controls: push buttons, drop-down lists, labels and single-line edit
// fields, each created for its control id with the dialog as parent.
#pragma once

#include <memory>

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "framework/validator.h"

namespace framework {

class TButton : public QPushButton {
    Q_OBJECT
  public:
    TButton(int id, const QString& text, QWidget* parent);
};

class TComboBox : public QComboBox {
    Q_OBJECT
  public:
    TComboBox(int id, QWidget* parent);
};

class TStatic : public QLabel {
    Q_OBJECT
  public:
    TStatic(int id, const QString& text, QWidget* parent);
};

// A single-line edit field that, like a field without automatic scrolling, takes no
// more characters once its text fills the visible width. With a validator attached,
// every typed character is judged by the whole text it leaves, and the whole text is
// validated when the focus leaves the field, on Tab, and when the dialog closes.
class TEdit : public QLineEdit {
    Q_OBJECT
  public:
    TEdit(int id, const QString& text, QWidget* parent);
    ~TEdit() override;

    // Attaching a validator destroys the one held before; nullptr detaches it.
    void SetValidator(std::unique_ptr<TValidator> validator);
    TValidator* Validator() const { return validator_.get(); }

    // The whole-text test; with report, a failure shows the validator's warning first.
    bool IsValid(bool reportError);

    // A disabled field agrees at once; otherwise a failing field warns, becomes the field
    // under validation, takes the focus and refuses.
    bool CanClose();

    // The deferred validation after the focus left a failing field: take the focus back
    // and warn, with the validator detached meanwhile.
    void ValidateAfterFocusLoss();

    // The one field of the program whose validation is under way, if any.
    static TEdit* FieldUnderValidation();

    // True when text fits the visible width of the field.
    bool FitsVisibleWidth(const QString& text) const;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Shows the validator's warning with the validator detached.
    void WarnDetached();

    std::unique_ptr<TValidator> validator_;
    static QPointer<TEdit> underValidation_;
};

// The event a field posts to its dialog to have its validation done after the focus has
// gone where the user sent it.
class ValidationRequest : public QEvent {
  public:
    static const QEvent::Type kType;
    explicit ValidationRequest(TEdit* field) : QEvent(kType), field(field) {}
    QPointer<TEdit> field;
};

}  // namespace framework
