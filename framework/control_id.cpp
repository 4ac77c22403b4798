#include "framework/control_id.h"

#include <QVariant>
#include <QWidget>

namespace framework {

namespace {
constexpr const char* kProperty = "controlId";
}

void SetControlId(QWidget* control, int id) {
    control->setProperty(kProperty, id);
}

int ControlId(const QWidget* control) {
    return control->property(kProperty).toInt();
}

}  // namespace framework
