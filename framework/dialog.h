// A dialog built from a template table of controls in dialog units, with a static table
// of responses per dialog class and the keyboard of a dialog: Tab and Shift+Tab over the
// tab stops in template order, Enter on a push button presses it, Enter elsewhere is the
// command IdOk (close after validation), Escape the command IdCancel (close at once).
#pragma once

#include <span>
#include <vector>

#include <QFrame>
#include <QPointer>

#include "framework/control_id.h"

namespace framework {

class TEdit;

enum class ControlKind { PushButton, DropDownList, Label, Edit };
enum class TextAlignment { Left, Right };

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;         // UTF-8
    int x, y, width, height;  // dialog units
    bool visible;
    bool enabled;
    bool tabStop;
    TextAlignment alignment;
    bool readOnly;
};

struct DialogTemplate {
    int width, height;  // dialog units of the font
    const char* fontFamily;
    int fontPointSize;
    std::span<const ControlTemplate> controls;
};

// One entry of a table of responses: a notification code and a control id, and the
// member function of the window class that handles them.
template <class Window>
struct Response {
    int notification;
    int id;
    void (Window::*handler)();
};

// Runs the handler of the first matching entry; false when no entry matches.
template <class Window, std::size_t N>
bool RespondFrom(Window* window, const Response<Window> (&table)[N], int notification, int id) {
    for (const Response<Window>& entry : table) {
        if (entry.notification == notification && entry.id == id) {
            (window->*entry.handler)();
            return true;
        }
    }
    return false;
}

// Dialog units to pixels for a font: x/4 of its average character width, y/8 of its height.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    int X(int units) const { return (units * baseWidth_ + 2) / 4; }
    int Y(int units) const { return (units * baseHeight_ + 4) / 8; }

  private:
    int baseWidth_;
    int baseHeight_;
};

class TDialog : public QFrame {
    Q_OBJECT
  public:
    explicit TDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    // The dialog draws a border of this many pixels around its client area.
    static constexpr int BorderWidth = 1;

    // Runs once, when the frame creates the dialog's window, before it is first shown.
    virtual void SetUpDialog() {}

    // The size of the client area in pixels, as the template gives it.
    QSize ClientSize() const { return clientSize_; }

    QWidget* Control(int id) const;
    template <class T>
    T* ControlAs(int id) const {
        return qobject_cast<T*>(Control(id));
    }

    // Asks every control, in template order, whether it may close.
    bool CanClose();
    // Closes after asking the controls; a refusal leaves everything as it was.
    void CloseWindow(int result);
    // Destroys the dialog's window at once, asking nothing.
    void DestroyWindow();
    bool IsWindowDestroyed() const { return windowDestroyed_; }
    int Result() const { return result_; }

    // A notification from a control, routed through the tables of responses.
    void Notify(int notification, int id);

    // The first tab stop, which has the focus when the dialog is first shown.
    QWidget* FirstTabStop() const;

  signals:
    // The dialog's window is gone (closed or destroyed).
    void WindowDestroyed();

  protected:
    // The lookup of the table of responses; a derived dialog searches its own table and
    // then calls this one.
    virtual bool FindResponse(int notification, int id);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

  private:
    void CmOk();
    void CmCancel();

    std::vector<QWidget*> controls_;  // in template order
    QSize clientSize_;
    bool windowDestroyed_ = false;
    int result_ = 0;
};

}  // namespace framework
