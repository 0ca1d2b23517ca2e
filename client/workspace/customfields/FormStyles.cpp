#include "FormStyles.h"

#include <QRegularExpression>
#include <QStringList>

namespace FormStyles {

namespace {

struct Keyword {
    const char* name;
    uint32_t bits;
};

const Keyword kAllTypes[] = {
    {"WS_CHILD", 0x40000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
    {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000},
};
const Keyword kScroll[] = {{"WS_HSCROLL", 0x00100000}, {"WS_VSCROLL", 0x00200000}};
const Keyword kEdit[] = {
    {"ES_AUTOHSCROLL", 0x0080}, {"ES_AUTOVSCROLL", 0x0040}, {"ES_CENTER", 0x0001},
    {"ES_LEFT", 0x0000},        {"ES_LOWERCASE", 0x0010},   {"ES_MULTILINE", 0x0004},
    {"ES_NOHIDESEL", 0x0100},   {"ES_OEMCONVERT", 0x0400},  {"ES_PASSWORD", 0x0020},
    {"ES_UPPERCASE", 0x0008},   {"ES_READONLY", 0x0800},    {"ES_WANTRETURN", 0x1000},
    {"SS_NOTIFY", 0x0100},
};
const Keyword kButtonWords[] = {
    {"BS_AUTOCHECKBOX", 0x0003}, {"BS_AUTORADIOBUTTON", 0x0009}, {"BS_AUTO3STATE", 0x0006},
    {"BS_CHECKBOX", 0x0002},     {"BS_DEFPUSHBUTTON", 0x0001},   {"BS_GROUPBOX", 0x0007},
    {"BS_LEFTTEXT", 0x0020},     {"BS_OWNERDRAW", 0x000B},       {"BS_PUSHBUTTON", 0x0000},
    {"BS_RADIOBUTTON", 0x0004},  {"BS_3STATE", 0x0005},
};
const Keyword kListWords[] = {
    {"LBS_EXTENDEDSEL", 0x0800},       {"LBS_HASSTRINGS", 0x0040},
    {"LBS_MULTICOLUMN", 0x0200},       {"LBS_MULTIPLESEL", 0x0008},
    {"LBS_NOINTEGRALHEIGHT", 0x0100},  {"LBS_NOREDRAW", 0x0004},
    {"LBS_NOTIFY", 0x0001},            {"LBS_OWNERDRAWFIXED", 0x0010},
    {"LBS_OWNERDRAWVARIABLE", 0x0020}, {"LBS_SORT", 0x0002},
    {"LBS_STANDARD", 0x00A00003},      {"LBS_USETABSTOPS", 0x0080},
    {"LBS_WANTKEYBOARDINPUT", 0x0400}, {"LBS_DISABLENOSCROLL", 0x1000},
};
const Keyword kComboWords[] = {
    {"CBS_AUTOHSCROLL", 0x0040},       {"CBS_DROPDOWN", 0x0002},
    {"CBS_DROPDOWNLIST", 0x0003},      {"CBS_HASSTRINGS", 0x0200},
    {"CBS_OEMCONVERT", 0x0080},        {"CBS_OWNERDRAWFIXED", 0x0010},
    {"CBS_OWNERDRAWVARIABLE", 0x0020}, {"CBS_SIMPLE", 0x0001},
    {"CBS_SORT", 0x0100},              {"CBS_DISABLENOSCROLL", 0x0800},
    {"CBS_NOINTEGRALHEIGHT", 0x0400},
};

template <size_t N>
bool Find(const Keyword (&words)[N], const QString& piece, uint32_t& bits) {
    for (const Keyword& word : words) {
        if (piece.compare(QLatin1String(word.name), Qt::CaseInsensitive) == 0) {
            bits = word.bits;
            return true;
        }
    }
    return false;
}

// The bits of a keyword accepted for the type; false for any other piece.
bool KeywordBits(const QString& piece, int type, uint32_t& bits) {
    if (type < kText || type > kDateTime) return false;
    if (Find(kAllTypes, piece, bits)) return true;
    switch (type) {
    case kText:
    case kStatic:
        return Find(kEdit, piece, bits);
    case kButton:
        return Find(kButtonWords, piece, bits);
    case kListBox:
        return Find(kScroll, piece, bits) || Find(kListWords, piece, bits);
    case kComboBox:
        return Find(kScroll, piece, bits) || Find(kComboWords, piece, bits);
    default:
        return false;
    }
}

const char* const kTypeNames[] = {"Text", "Static", "Button", "ListBox", "ComboBox", "DateTimeCtrl"};

}  // namespace

QString TypeName(int type) {
    if (type < kText || type > kDateTime) return QStringLiteral("Unknow");
    return QLatin1String(kTypeNames[type - 1]);
}

int TypeFromName(const QString& name) {
    const QString trimmed = name.trimmed();
    for (int type = kText; type <= kDateTime; ++type) {
        if (trimmed.compare(QLatin1String(kTypeNames[type - 1]), Qt::CaseInsensitive) == 0)
            return type;
    }
    return kUnknownType;
}

uint32_t StyleFromText(const QString& text, int type) {
    uint32_t style = kChild | kVisible;
    if (text.isEmpty()) {
        if (type == kComboBox) return 0x50000003;
        if (type == kListBox) return 0x50210180;
        return style;
    }
    static const QRegularExpression kWordBreak(QStringLiteral("[ \t]+"));
    for (const QString& raw : text.split(QLatin1Char('|'))) {
        const QString piece = raw.trimmed();
        if (piece.section(kWordBreak, 0, 0).compare(QLatin1String("Not"), Qt::CaseInsensitive) == 0) {
            style &= ~kVisible;
            continue;
        }
        uint32_t bits = 0;
        if (KeywordBits(piece, type, bits)) style |= bits;
    }
    return style;
}

uint32_t DefaultStyle(int type) {
    switch (type) {
    case kText:
        return 0x50000280;
    case kStatic:
        return 0x50000980;
    case kButton:
        return 0x50000000;
    case kListBox:
        return 0x50210100;
    case kComboBox:
        return 0x50210003;
    case kDateTime:
        return 0x50010000;
    default:
        return 0;
    }
}

}  // namespace FormStyles
