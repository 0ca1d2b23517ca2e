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

// Text fields, and Static fields while they are shown as read-only edits.
class CDesignEdit : public QLineEdit {
public:
    explicit CDesignEdit(QWidget* parent)
        : QLineEdit(parent), m_grip(new CDesignGrip(this, CDesignGrip::TrackingLimits(), false)) {}
    CDesignGrip* Grip() const { return m_grip; }

private:
    CDesignGrip* m_grip;
};

class CDesignStatic : public QLabel {
public:
    explicit CDesignStatic(QWidget* parent)
        : QLabel(parent), m_grip(new CDesignGrip(this, CDesignGrip::TrackingLimits(), false)) {}
    CDesignGrip* Grip() const { return m_grip; }

private:
    CDesignGrip* m_grip;
};

class CDesignButton : public QPushButton {
public:
    explicit CDesignButton(QWidget* parent)
        : QPushButton(parent), m_grip(new CDesignGrip(this, CDesignGrip::TrackingLimits(), false)) {}
    CDesignGrip* Grip() const { return m_grip; }

private:
    CDesignGrip* m_grip;
};

class CDesignListBox : public QListWidget {
public:
    explicit CDesignListBox(QWidget* parent)
        : QListWidget(parent), m_grip(new CDesignGrip(this, CDesignGrip::TrackingLimits(), false)) {}
    CDesignGrip* Grip() const { return m_grip; }

private:
    CDesignGrip* m_grip;
};

class CDesignComboBox : public QComboBox {
public:
    explicit CDesignComboBox(QWidget* parent)
        : QComboBox(parent), m_grip(new CDesignGrip(this, CDesignGrip::Limits(), true)) {}
    CDesignGrip* Grip() const { return m_grip; }

private:
    CDesignGrip* m_grip;
};

class CDesignDateTimeCtrl : public QDateEdit {
public:
    explicit CDesignDateTimeCtrl(QWidget* parent)
        : QDateEdit(parent), m_grip(new CDesignGrip(this, CDesignGrip::Limits(), false)) {
        setCalendarPopup(true);
        setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    CDesignGrip* Grip() const { return m_grip; }

private:
    CDesignGrip* m_grip;
};

// The grip of any of the six controls; null for another widget.
CDesignGrip* DesignGripOf(QWidget* control);
