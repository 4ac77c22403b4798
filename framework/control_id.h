// Control ids on widgets, as the dialog template gives them, and the two dialog commands.
#pragma once

class QWidget;

namespace framework {

// Enter outside a push button, and Escape.
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;

// Notification codes of the table of responses.
inline constexpr int ButtonClicked = 0;
inline constexpr int SelectionChanged = 1;

void SetControlId(QWidget* control, int id);
// 0 when the widget carries no id.
int ControlId(const QWidget* control);

}  // namespace framework
