// The six controls a dynamic form creates for its fields. Each is the plain
// Qt control with a CDesignGrip: in design mode the user drags it by its
// body and resizes it by its border. The edit, static, button and list box
// keep to 20 x 14 .. 950 x 900 while dragged; the combo box resizes only
// sideways (its height is its drop-down list's); the date picker has no
// limits of its own.
#pragma once

#include "CDesignGrip.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

// What every design control offers the form.
class IDesignControl {
public:
    virtual ~IDesignControl() = default;
    virtual CDesignGrip* Grip() const = 0;
};

template <typename Base>
class CDesignControl : public Base, public IDesignControl {
public:
    CDesignControl(QWidget* parent, CDesignGrip::Limits limits, bool horizontalOnly)
        : Base(parent), m_grip(new CDesignGrip(this, limits, horizontalOnly)) {}
    CDesignGrip* Grip() const override { return m_grip; }

private:
    CDesignGrip* m_grip;
};

// Text fields, and Static fields while they are shown as read-only edits.
class CDesignEdit : public CDesignControl<QLineEdit> {
public:
    explicit CDesignEdit(QWidget* parent) : CDesignControl(parent, CDesignGrip::TrackingLimits(), false) {}
};

class CDesignStatic : public CDesignControl<QLabel> {
public:
    explicit CDesignStatic(QWidget* parent) : CDesignControl(parent, CDesignGrip::TrackingLimits(), false) {}
};

class CDesignButton : public CDesignControl<QPushButton> {
public:
    explicit CDesignButton(QWidget* parent) : CDesignControl(parent, CDesignGrip::TrackingLimits(), false) {}
};

class CDesignListBox : public CDesignControl<QListWidget> {
public:
    explicit CDesignListBox(QWidget* parent) : CDesignControl(parent, CDesignGrip::TrackingLimits(), false) {}
};

class CDesignComboBox : public CDesignControl<QComboBox> {
public:
    explicit CDesignComboBox(QWidget* parent) : CDesignControl(parent, CDesignGrip::Limits(), true) {}
};

class CDesignDateTimeCtrl : public CDesignControl<QDateEdit> {
public:
    explicit CDesignDateTimeCtrl(QWidget* parent) : CDesignControl(parent, CDesignGrip::Limits(), false) {
        setCalendarPopup(true);
        setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
};

// The grip of a design control; null for another widget.
inline CDesignGrip* DesignGripOf(QWidget* control) {
    auto* design = dynamic_cast<IDesignControl*>(control);
    return design ? design->Grip() : nullptr;
}
