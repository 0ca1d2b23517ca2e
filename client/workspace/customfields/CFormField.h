// CFormField: one field of a dynamic form: its name (the key, compared
// without regard to case), label, type, rectangle in the parent's
// coordinates, style and control id, and the control that shows it while
// the form's controls exist.
#pragma once

#include "FormStyles.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

// left, top, right, bottom in pixels; width is right - left.
struct CFormRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class CFormField {
public:
    CFormField() = default;
    CFormField(const QString& name, const QString& label, int type, const CFormRect& rect);
    // A copy takes the data, never the control (it has none until the form
    // creates one) nor the design flag (a new control starts in design mode).
    CFormField(const CFormField& other);
    CFormField& operator=(const CFormField& other);
    CFormField(CFormField&&) noexcept = default;
    CFormField& operator=(CFormField&&) noexcept = default;
    ~CFormField() = default;

    QString m_label;  // caption of Static and Button fields, first text of Text fields
    QString m_name;
    int m_type = FormStyles::kText;
    CFormRect m_rect;
    uint32_t m_style = 0;  // 0: the type's default, given when the field is added
    int m_controlId = -1;  // -1: the form gives the next id
    // A Static field is a read-only edit while this is on, a label while off.
    int m_staticAsEdit = 1;
    // The design flag its control is created with (set by SetDesignMode).
    int m_design = 1;
    QPointer<QWidget> m_control;
};
