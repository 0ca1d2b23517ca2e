#include "CFormField.h"

CFormField::CFormField(const QString& name, const QString& label, int type, const CFormRect& rect)
    : m_label(label), m_name(name), m_type(type), m_rect(rect) {}

CFormField::CFormField(const CFormField& other)
    : m_label(other.m_label),
      m_name(other.m_name),
      m_type(other.m_type),
      m_rect(other.m_rect),
      m_style(other.m_style),
      m_controlId(other.m_controlId),
      m_staticAsEdit(other.m_staticAsEdit) {}

CFormField& CFormField::operator=(const CFormField& other) {
    if (this == &other) return *this;
    m_label = other.m_label;
    m_name = other.m_name;
    m_type = other.m_type;
    m_rect = other.m_rect;
    m_style = other.m_style;
    m_controlId = other.m_controlId;
    m_staticAsEdit = other.m_staticAsEdit;
    m_design = 1;
    m_control = nullptr;
    return *this;
}
