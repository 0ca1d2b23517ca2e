// Field types and window-style words of the dynamic form: the type names of
// a layout line, the style keywords its seventh piece may hold (with the
// bit values the stored layouts were written against) and each type's
// default style.
#pragma once

#include <QString>

#include <cstdint>

namespace FormStyles {

enum FieldType {
    kUnknownType = 0,  // a type name that is none of the six: no control
    kText = 1,
    kStatic = 2,
    kButton = 3,
    kListBox = 4,
    kComboBox = 5,
    kDateTime = 6,
};

// Style bits the controls act on.
constexpr uint32_t kChild = 0x40000000;
constexpr uint32_t kVisible = 0x10000000;
constexpr uint32_t kDisabled = 0x08000000;
constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kEditCenter = 0x0001;
constexpr uint32_t kEditRight = 0x0002;
constexpr uint32_t kEditPassword = 0x0020;
constexpr uint32_t kEditReadOnly = 0x0800;
constexpr uint32_t kComboKindMask = 0x0003;  // 1 simple, 2 drop-down, 3 drop-down list
constexpr uint32_t kComboDropDownList = 0x0003;

// "Text", "Static", ... ; "Unknow" for any other type.
QString TypeName(int type);
// The type of a name (blanks trimmed, case ignored); 0 for any other name.
int TypeFromName(const QString& name);
// The style of a styles piece: keywords joined by '|', each accepted only
// for the types that have it; a piece whose first word is "Not" clears the
// visible bit. An empty piece gives the type's parse default.
uint32_t StyleFromText(const QString& text, int type);
// The style a field added with style 0 takes.
uint32_t DefaultStyle(int type);

}  // namespace FormStyles
