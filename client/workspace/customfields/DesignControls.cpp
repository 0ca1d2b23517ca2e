#include "DesignControls.h"

CDesignGrip* DesignGripOf(QWidget* control) {
    if (auto* edit = dynamic_cast<CDesignEdit*>(control)) return edit->Grip();
    if (auto* label = dynamic_cast<CDesignStatic*>(control)) return label->Grip();
    if (auto* button = dynamic_cast<CDesignButton*>(control)) return button->Grip();
    if (auto* list = dynamic_cast<CDesignListBox*>(control)) return list->Grip();
    if (auto* combo = dynamic_cast<CDesignComboBox*>(control)) return combo->Grip();
    if (auto* date = dynamic_cast<CDesignDateTimeCtrl*>(control)) return date->Grip();
    return nullptr;
}
