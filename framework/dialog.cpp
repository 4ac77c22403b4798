#include "framework/dialog.h"

#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include "framework/controls.h"

namespace framework {

namespace {

// The application style, with a mark around a focused push button or list: the style
// alone shows the focus faintly, and only once keys have been pressed.
class FocusMarkStyle : public QProxyStyle {
  public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton) Mark(option, painter);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ComboBox) Mark(option, painter);
    }

  private:
    static void Mark(const QStyleOption* option, QPainter* painter) {
        if (!(option->state & State_HasFocus)) return;
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(1, 1, -1, -1), 2, 2);
        painter->restore();
    }
};

QWidget* CreateControl(const ControlTemplate& t, TDialog* dialog) {
    const QString text = QString::fromUtf8(t.text);
    switch (t.kind) {
        case ControlKind::PushButton:
            return new TButton(t.id, text, dialog);
        case ControlKind::DropDownList:
            return new TComboBox(t.id, dialog);
        case ControlKind::Label:
            return new TStatic(t.id, text, dialog);
        case ControlKind::Edit: {
            auto* edit = new TEdit(t.id, text, dialog);
            edit->setAlignment(t.alignment == TextAlignment::Right ? Qt::AlignRight
                                                                   : Qt::AlignLeft);
            edit->setReadOnly(t.readOnly);
            return edit;
        }
    }
    return nullptr;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseWidth_ = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    baseHeight_ = metrics.height();
}

TDialog::TDialog(const DialogTemplate& dialogTemplate, QWidget* parent) : QFrame(parent) {
    QFont font(QString::fromUtf8(dialogTemplate.fontFamily), dialogTemplate.fontPointSize);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(BorderWidth);
    setAutoFillBackground(true);

    const DialogUnits units(font);
    clientSize_ = QSize(units.X(dialogTemplate.width), units.Y(dialogTemplate.height));

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& t : dialogTemplate.controls) {
        QWidget* control = CreateControl(t, this);
        const int height = t.kind == ControlKind::DropDownList
                               ? control->sizeHint().height()  // the closed list
                               : units.Y(t.height);
        control->setGeometry(BorderWidth + units.X(t.x), BorderWidth + units.Y(t.y),
                             units.X(t.width), height);
        control->setVisible(t.visible);
        control->setEnabled(t.enabled);
        if (t.kind == ControlKind::Label) {
            control->setFocusPolicy(Qt::NoFocus);
        } else if (t.tabStop) {
            control->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, control);
            previousTabStop = control;
        } else {
            control->setFocusPolicy(Qt::ClickFocus);
        }
        control->installEventFilter(this);
        if (t.kind == ControlKind::PushButton || t.kind == ControlKind::DropDownList) {
            static QProxyStyle* const focusMarks = new FocusMarkStyle;  // lives as long as Qt
            control->setStyle(focusMarks);
        }

        if (auto* button = qobject_cast<TButton*>(control)) {
            const int id = t.id;
            connect(button, &QPushButton::clicked, this, [this, id] { Notify(ButtonClicked, id); });
        } else if (auto* list = qobject_cast<TComboBox*>(control)) {
            const int id = t.id;
            connect(list, &QComboBox::activated, this,
                    [this, id] { Notify(SelectionChanged, id); });
        }
        controls_.push_back(control);
    }
    resize(clientSize_ + QSize(2 * BorderWidth, 2 * BorderWidth));
}

QWidget* TDialog::Control(int id) const {
    for (QWidget* control : controls_) {
        if (ControlId(control) == id) return control;
    }
    return nullptr;
}

QWidget* TDialog::FirstTabStop() const {
    for (QWidget* control : controls_) {
        if (control->focusPolicy() == Qt::StrongFocus && control->isVisibleTo(this) &&
            control->isEnabled()) {
            return control;
        }
    }
    return nullptr;
}

bool TDialog::CanClose() {
    if (windowDestroyed_) return true;
    for (QWidget* control : controls_) {
        if (auto* edit = qobject_cast<TEdit*>(control); edit && !edit->CanClose()) return false;
    }
    return true;
}

void TDialog::CloseWindow(int result) {
    if (!CanClose()) return;
    result_ = result;
    DestroyWindow();
}

void TDialog::DestroyWindow() {
    if (windowDestroyed_) return;
    windowDestroyed_ = true;
    hide();
    emit WindowDestroyed();
}

void TDialog::Notify(int notification, int id) {
    if (windowDestroyed_) return;
    FindResponse(notification, id);
}

bool TDialog::FindResponse(int notification, int id) {
    static const Response<TDialog> kResponses[] = {
        {ButtonClicked, IdOk, &TDialog::CmOk},
        {ButtonClicked, IdCancel, &TDialog::CmCancel},
    };
    return RespondFrom(this, kResponses, notification, id);
}

void TDialog::CmOk() {
    CloseWindow(IdOk);
}

void TDialog::CmCancel() {
    result_ = IdCancel;
    DestroyWindow();
}

bool TDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(watched)) {
                button->click();
            } else {
                Notify(ButtonClicked, IdOk);
            }
            return true;
        case Qt::Key_Escape:
            Notify(ButtonClicked, IdCancel);
            return true;
        default:
            return false;
    }
}

void TDialog::customEvent(QEvent* event) {
    if (event->type() == ValidationRequest::kType) {
        if (auto* field = static_cast<ValidationRequest*>(event)->field.data()) {
            field->ValidateAfterFocusLoss();
        }
        return;
    }
    QFrame::customEvent(event);
}

}  // namespace framework
