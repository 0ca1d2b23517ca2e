// The layout text of the dynamic form read and written back, its style
// keywords and defaults, without a server.
#include "CDynamicForm.h"
#include "FormStyles.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace FormStyles;

namespace {

// A form whose scratch files live in a folder of its own.
struct ScratchForm {
    ScratchForm() {
        form.SetScratchFiles(dir.path() + "/layout.ini", dir.path() + "/temp");
        form.SetMessageSink([this](const QString& text) { messages << text; });
    }
    QTemporaryDir dir;
    CDynamicForm form;
    QStringList messages;
};

const char kHeader[] = "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\n";

struct RoundTrip {
    const char* what;
    const char* input;
    const char* written;
};

const RoundTrip kRoundTrips[] = {
    {"fields keep their order, label, type and rectangle",
     "[tessaro]\ntitle=Bugs\nfont=Arial,10\nB=second,Static,5,6,7,8,\nA=first,Text,1,2,3,4,\n",
     "[tessaro]\ntitle=Bugs\nfont=Arial,10\nB=second,Static,5,6,7,8,\nA=first,Text,1,2,3,4,\n"},
    {"start_base is read, never written",
     "[tessaro]\nstart_base=7000\ntitle=\nfont=Arial,10\nA=a,Text,1,2,3,4,\n",
     "[tessaro]\ntitle=\nfont=Arial,10\nA=a,Text,1,2,3,4,\n"},
    {"a font size below 5 becomes 15", "[tessaro]\nfont=Arial,4\n",
     "[tessaro]\ntitle=\nfont=Arial,15\n"},
    {"a font size above 800 becomes 15", "[tessaro]\nfont=Arial,801\n",
     "[tessaro]\ntitle=\nfont=Arial,15\n"},
    {"a font without a comma keeps face and size", "[tessaro]\nfont=Courier\n", kHeader},
    {"a comma in a label is written as ^^ and read back",
     "[tessaro]\nA=one^^two,Text,0,0,10,10,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=one^^two,Text,0,0,10,10,\n"},
    {"an equals sign in a label survives (the line splits at its first '=')",
     "[tessaro]\ntitle=a=b\nA=x=y,Text,0,0,10,10,\n",
     "[tessaro]\ntitle=a=b\nfont=Microsoft Sans Serif,15\nA=x=y,Text,0,0,10,10,\n"},
    {"a line of six pieces is skipped, the lines around it stay",
     "[tessaro]\nA=a,Text,0,0,10,10,\nB=b,Text,0,0,10,10\nC=c,Text,1,1,10,10,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=a,Text,0,0,10,10,\nC=c,Text,1,1,10,10,\n"},
    {"an unknown type stays as Unknow, the next field stays",
     "[tessaro]\nA=a,Grid,1,2,3,4,\nB=b,text,1,2,3,4,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=a,Unknow,1,2,3,4,\nB=b,Text,1,2,3,4,\n"},
    {"styles are read but written empty",
     "[tessaro]\nA=a,Text,1,2,3,4,ES_READONLY|WS_DISABLED\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=a,Text,1,2,3,4,\n"},
    {"a combo box is written with its bottom as the last number",
     "[tessaro]\nA=a,ComboBox,10,20,100,50,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=a,ComboBox,10,20,100,70,\n"},
    {"non-numeric positions read as 0", "[tessaro]\nA=a,Text,x,,-5,7y,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=a,Text,0,0,-5,7,\n"},
    {"a repeated name keeps the first field", "[tessaro]\nA=a,Text,1,1,5,5,\nA=b,Text,2,2,5,5,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nA=a,Text,1,1,5,5,\n"},
    {"comments, blank lines and other sections are ignored; section and keys ignore case",
     "#note\n[other]\nX=x,Text,0,0,1,1,\n\n[TESSARO]\n  TITLE=t  \nA=a,Text,0,0,1,1,\n[more]\nY=y,Text,0,0,1,1,\n",
     "[tessaro]\ntitle=t\nfont=Microsoft Sans Serif,15\nA=a,Text,0,0,1,1,\n"},
    {"no such section: an empty form", "[other]\nA=a,Text,0,0,1,1,\n", kHeader},
    {"an empty text: an empty form", "", kHeader},
    {"a title with a placeholder stays as it is", "[tessaro]\ntitle=50%1 %2\nA=%1,Text,0,0,1,1,\n",
     "[tessaro]\ntitle=50%1 %2\nfont=Microsoft Sans Serif,15\nA=%1,Text,0,0,1,1,\n"},
    {"CJK labels", "[tessaro]\nBG_USER_01=自定义1,Text,0,20,100,20,\n",
     "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\nBG_USER_01=自定义1,Text,0,20,100,20,\n"},
};

}  // namespace

TEST(FormLayoutTest, ReadAndWrittenBack) {
    for (const RoundTrip& c : kRoundTrips) {
        SCOPED_TRACE(c.what);
        ScratchForm s;
        ASSERT_EQ(1, s.form.LoadLayoutFile(QString::fromUtf8(c.input), "tessaro"));
        EXPECT_EQ(QString::fromUtf8(c.written), s.form.GetLayoutText());
        // What the writer wrote reads back to the same text.
        ScratchForm again;
        ASSERT_EQ(1, again.form.LoadLayoutFile(s.form.GetLayoutText(), "tessaro"));
        if (QString::fromUtf8(c.written).contains("ComboBox")) continue;  // bottom, not height
        EXPECT_EQ(QString::fromUtf8(c.written), again.form.GetLayoutText());
    }
}

TEST(FormLayoutTest, ParsedFieldsAndMessages) {
    ScratchForm s;
    s.form.LoadLayoutFile(
        "[tessaro]\nA=one^^two,ComboBox,10,20,100,50,\nB=b,Grid,1,2,3,4,\nA=dup,Text,0,0,1,1,\n",
        "tessaro");
    ASSERT_EQ(2, s.form.GetFieldCount());
    const CFormField& combo = s.form.Fields()[0];
    EXPECT_EQ("one,two", combo.m_label);
    EXPECT_EQ(kComboBox, combo.m_type);
    EXPECT_EQ(10, combo.m_rect.left);
    EXPECT_EQ(20, combo.m_rect.top);
    EXPECT_EQ(110, combo.m_rect.right);
    EXPECT_EQ(70, combo.m_rect.bottom);
    EXPECT_EQ(kUnknownType, s.form.Fields()[1].m_type);
    EXPECT_EQ(QStringList{"已经存在字段名:A"}, s.messages);
    EXPECT_TRUE(s.form.HasField("a"));
    EXPECT_EQ(s.dir.path() + "/layout.ini", s.form.LayoutFilePath());
    EXPECT_EQ("tessaro", s.form.Section());
}

TEST(FormLayoutTest, ControlIds) {
    struct Case {
        const char* startBase;
        int firstId;
    };
    const Case cases[] = {{"0", 6001}, {"38000", 6001}, {"37999", 38000}, {"1", 2}, {"12abc", 13},
                          {"-4", 6001}, {"", 6001}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startBase);
        ScratchForm s;
        s.form.LoadLayoutFile(QString("[tessaro]\nstart_base=%1\nA=a,Text,0,0,1,1,\nB=b,Text,0,0,1,1,\n")
                                  .arg(c.startBase),
                              "tessaro");
        ASSERT_EQ(2, s.form.GetFieldCount());
        EXPECT_EQ(c.firstId, s.form.Fields()[0].m_controlId);
        EXPECT_EQ(c.firstId + 1, s.form.Fields()[1].m_controlId);
    }
    // Without start_base a second layout numbers on from where the first stopped.
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nA=a,Text,0,0,1,1,\nB=b,Text,0,0,1,1,\n", "tessaro");
    s.form.LoadLayoutFile("[tessaro]\nC=c,Text,0,0,1,1,\n", "tessaro");
    EXPECT_EQ(6003, s.form.Fields()[0].m_controlId);
    // An id given by the caller is kept.
    CFormField own("D", "d", kText, {});
    own.m_controlId = 42;
    ASSERT_TRUE(s.form.AddField(own));
    EXPECT_EQ(42, s.form.Fields().back().m_controlId);
    EXPECT_EQ(6004, s.form.NextId());
}

TEST(FormLayoutTest, FontLine) {
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nfont= Song Ti ,9,extra\n", "tessaro");
    EXPECT_EQ(" Song Ti ", s.form.FontFace());
    EXPECT_EQ(9, s.form.FontSize());
    // A fresh form starts at size 12; parsing clears it to 15 first.
    CDynamicForm fresh;
    EXPECT_EQ(12, fresh.FontSize());
    EXPECT_EQ("Microsoft Sans Serif", fresh.FontFace());
}

TEST(FormLayoutTest, StyleKeywords) {
    struct Case {
        const char* text;
        int type;
        uint32_t style;
    };
    const Case cases[] = {
        {"WS_BORDER|ES_LEFT", kText, 0x50000000},
        {"ES_READONLY | ES_PASSWORD", kText, 0x50000820},
        {"es_multiline", kStatic, 0x50000004},
        {"Not WS_VISIBLE", kText, 0x40000000},
        {"not", kComboBox, 0x40000000},
        {"NOT anything|WS_DISABLED", kButton, 0x48000000},
        {"Nothing", kText, 0x50000000},
        {"LBS_STANDARD", kListBox, 0x50A00003},
        {"WS_VSCROLL|LBS_SORT", kListBox, 0x50200002},
        {"WS_VSCROLL|ES_READONLY", kText, 0x50000800},
        {"CBS_DROPDOWN|WS_TABSTOP", kComboBox, 0x50010002},
        {"CBS_DROPDOWN", kListBox, 0x50000000},
        {"BS_AUTOCHECKBOX", kButton, 0x50000003},
        {"WS_GROUP", kDateTime, 0x50020000},
        {"ES_CENTER", kDateTime, 0x50000000},
        {"WS_CHILD", kUnknownType, 0x50000000},
        {"|", kText, 0x50000000},
        {"", kComboBox, 0x50000003},
        {"", kListBox, 0x50210180},
        {"", kText, 0x50000000},
        {"", kDateTime, 0x50000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.type));
        EXPECT_EQ(c.style, StyleFromText(c.text, c.type));
    }
}

TEST(FormLayoutTest, TypeNamesAndDefaults) {
    struct Case {
        int type;
        const char* name;
        uint32_t added;
    };
    const Case cases[] = {{kText, "Text", 0x50000280},         {kStatic, "Static", 0x50000980},
                          {kButton, "Button", 0x50000000},     {kListBox, "ListBox", 0x50210100},
                          {kComboBox, "ComboBox", 0x50210003}, {kDateTime, "DateTimeCtrl", 0x50010000},
                          {kUnknownType, "Unknow", 0},         {9, "Unknow", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.name, TypeName(c.type));
        if (c.type >= kText && c.type <= kDateTime) {
            EXPECT_EQ(c.type, TypeFromName(QString(" %1 ").arg(c.name).toLower()));
        }
        ScratchForm s;
        ASSERT_TRUE(s.form.AddField(CFormField("F", "f", c.type, {})));
        EXPECT_EQ(c.added, s.form.Fields()[0].m_style);
    }
    EXPECT_EQ(kUnknownType, TypeFromName("Unknow"));
    EXPECT_EQ(kUnknownType, TypeFromName(""));
    // A layout's empty styles piece gives other bits than a field added in code.
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nC=c,ComboBox,0,0,1,1,\nL=l,ListBox,0,0,1,1,\n", "tessaro");
    EXPECT_EQ(0x50000003u, s.form.Fields()[0].m_style);
    EXPECT_EQ(0x50210180u, s.form.Fields()[1].m_style);
}

TEST(FormLayoutTest, ScratchFileThatCannotBeWritten) {
    CDynamicForm form;
    form.SetScratchFiles("/proc/zentry-no-such/layout.ini", "/proc/zentry-no-such/temp");
    CFormField field("A", "a", kText, {0, 0, 10, 10});
    form.AddField(field);
    EXPECT_EQ(0, form.LoadLayoutFile("[tessaro]\nB=b,Text,0,0,1,1,\n", "tessaro"));
    ASSERT_EQ(1, form.GetFieldCount());  // left as it was
    EXPECT_EQ("A", form.Fields()[0].m_name);
    EXPECT_FALSE(form.GetLastError().isEmpty());
    EXPECT_TRUE(form.GetLayoutText().isEmpty());
    EXPECT_FALSE(form.WriteLayout("/proc/zentry-no-such/out.ini"));
    // A missing layout file parses to an empty form.
    EXPECT_EQ(1, form.ParseLayout("/proc/zentry-no-such/none.ini", "tessaro"));
    EXPECT_EQ(0, form.GetFieldCount());
}

// Values through the controls: before the controls exist nothing is set.
TEST(FormLayoutTest, FieldValues) {
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nT=label,Text,0,0,100,20,\nS=caption,Static,0,30,100,20,\n"
                          "B=press,Button,0,60,100,20,\nL=l,ListBox,0,90,100,60,\n"
                          "C=c,ComboBox,0,160,100,100,\nD=d,DateTimeCtrl,0,200,100,20,\n"
                          "U=u,Grid,0,230,100,20,\n",
                          "tessaro");
    EXPECT_EQ(0, s.form.SetFieldValue("T", "x"));
    EXPECT_EQ("", s.form.GetFieldValue("T"));
    EXPECT_EQ(nullptr, s.form.FindControl("T"));
    EXPECT_EQ(0, s.form.CreateControls(nullptr));
    EXPECT_EQ(0, s.form.ReadBackPositions());

    QWidget parent;
    ASSERT_EQ(1, s.form.CreateControls(&parent));
    EXPECT_EQ("label", s.form.GetFieldValue("t"));  // a Text field starts with its label
    EXPECT_EQ("caption", s.form.GetFieldValue("S"));
    auto* list = qobject_cast<QListWidget*>(s.form.FindControl("L"));
    auto* combo = qobject_cast<QComboBox*>(s.form.FindControl("C"));
    ASSERT_TRUE(list && combo);
    list->addItems({"Alpha", "Beta"});
    combo->addItems({"Red", "Green"});
    combo->setCurrentIndex(-1);

    struct Case {
        const char* field;
        const char* value;
        int result;
        const char* read;
    };
    const Case cases[] = {
        {"T", "typed 'x'", 1, "typed 'x'"}, {"S", "shown", 1, "shown"},
        {"B", "ignored", 1, "press"},       {"L", "beta", 1, "Beta"},
        {"L", "Gamma", 1, "Beta"},          {"C", "GREEN", 1, "Green"},
        {"C", "Blue", 1, "Green"},          {"D", "2008-05-06", 1, "2008-05-06"},
        {"D", "2009-01-02 09:00:00", 1, "2009-01-02"},
        {"D", "not a date", 1, "2009-01-02"},
        {"U", "x", 0, ""},                  {"missing", "x", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.value);
        EXPECT_EQ(c.result, s.form.SetFieldValue(c.field, c.value));
        EXPECT_EQ(QString::fromUtf8(c.read), s.form.GetFieldValue(c.field));
    }
    int type = 0;
    EXPECT_EQ(combo, s.form.FindControl("c", &type));
    EXPECT_EQ(kComboBox, type);
    // Ids are the controls' names; a field of unknown type has no control.
    EXPECT_EQ(QString::number(s.form.Fields()[0].m_controlId), s.form.FindControl("T")->objectName());
    EXPECT_EQ(nullptr, s.form.FindControl("U"));
    EXPECT_EQ(6, parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size());
}

TEST(FormLayoutTest, StaticFieldFollowsDesignMode) {
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nS=caption,Static,0,0,100,20,\nT=t,Text,0,30,100,20,\n", "tessaro");
    QWidget parent;
    s.form.CreateControls(&parent);
    auto* edit = qobject_cast<QLineEdit*>(s.form.FindControl("S"));
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->isReadOnly());
    // Switching creates nothing; the next creation makes it a label.
    s.form.SetDesignMode(0);
    EXPECT_EQ(edit, s.form.FindControl("S"));
    s.form.CreateControls(&parent);
    auto* label = qobject_cast<QLabel*>(s.form.FindControl("S"));
    ASSERT_TRUE(label);
    EXPECT_EQ("caption", s.form.GetFieldValue("S"));
    EXPECT_EQ(2, parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size());
    s.form.DestroyControls();
    EXPECT_EQ(0, s.form.ControlsCreated());
    EXPECT_TRUE(parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).isEmpty());
}

TEST(FormLayoutTest, RemoveFieldKeepsTheOthers) {
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nA=a,Text,0,0,100,20,\nA_ST=a:,Static,0,30,100,20,\n"
                          "B=b,Text,0,60,100,20,\n",
                          "tessaro");
    QWidget parent;
    s.form.CreateControls(&parent);
    QWidget* b = s.form.FindControl("B");
    b->move(40, 70);
    EXPECT_TRUE(s.form.RemoveField("a"));
    EXPECT_TRUE(s.form.RemoveField("A_st"));
    EXPECT_FALSE(s.form.RemoveField("A"));
    ASSERT_EQ(1, s.form.GetFieldCount());
    EXPECT_EQ(b, s.form.FindControl("B"));
    EXPECT_EQ(1, parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size());
    EXPECT_EQ(QString(kHeader) + "B=b,Text,40,70,100,20,\n", s.form.GetLayoutText());
}

TEST(FormLayoutTest, PositionsReadBack) {
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nC=c,ComboBox,10,20,100,50,\nT=t,Text,5,5,30,20,\n"
                          "D=d,DateTimeCtrl,0,100,120,22,\n",
                          "tessaro");
    QWidget parent;
    s.form.CreateControls(&parent);
    s.form.FindControl("T")->setGeometry(7, 8, 60, 25);
    EXPECT_EQ(1, s.form.ReadBackPositions());
    EXPECT_EQ(QString(kHeader) + "C=c,ComboBox,10,20,100,220,\nT=t,Text,7,8,60,25,\n"
                                 "D=d,DateTimeCtrl,0,100,120,22,\n",
              s.form.GetLayoutText());
    // The layout's font never reaches the controls: they take the parent's.
    EXPECT_EQ(parent.font().family(), s.form.FindControl("T")->font().family());
}

TEST(FormLayoutTest, HiddenAndDisabledStyles) {
    ScratchForm s;
    s.form.LoadLayoutFile("[tessaro]\nH=h,Text,0,0,10,10,Not WS_VISIBLE\nD=d,Text,0,0,10,10,WS_DISABLED\n"
                          "P=p,Text,0,0,10,10,ES_PASSWORD\nE=e,ComboBox,0,0,10,10,CBS_DROPDOWN\n"
                          "F=f,ComboBox,0,0,10,10,\n",
                          "tessaro");
    QWidget parent;
    parent.show();
    s.form.CreateControls(&parent);
    EXPECT_FALSE(s.form.FindControl("H")->isVisible());
    EXPECT_TRUE(s.form.FindControl("D")->isVisible());
    EXPECT_FALSE(s.form.FindControl("D")->isEnabled());
    EXPECT_EQ(QLineEdit::Password, qobject_cast<QLineEdit*>(s.form.FindControl("P"))->echoMode());
    EXPECT_TRUE(qobject_cast<QComboBox*>(s.form.FindControl("E"))->isEditable());
    EXPECT_FALSE(qobject_cast<QComboBox*>(s.form.FindControl("F"))->isEditable());
}
