// The layout designer, the custom-fields page and the field-attribute page
// driven offscreen against a real lumenolite with the demo database.
#include "CCustomFieldsDlg.h"
#include "CDefectEditDlg.h"
#include "CDefectSave.h"
#include "CDefectFieldsDlg.h"
#include "CTreeComboBox.h"
#include "CFieldAttributeDlg.h"
#include "CLayoutDesignDlg.h"
#include "CustomFieldIds.h"
#include "MouseDrag.h"
#include "ClientFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Edit styles and lists of four custom columns; a project "CF" whose
// layout places them with their captions, and three of its defects (901
// and 903 alike).
const char* const kExtraSql =
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='ComboBox',REF_LIST='severity' WHERE COLUMN_NAME='BG_USER_02';"
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='ListBox',REF_LIST='pri' WHERE COLUMN_NAME='BG_USER_03';"
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='CheckBox' WHERE COLUMN_NAME='BG_USER_04';"
    "UPDATE t_cfg_sys_list SET EDIT_STYLE='combobox',REF_LIST='prj_type' WHERE COLUMN_NAME='BG_USER_09';"
    "INSERT INTO t_prj (PRJ_NAME,PRJ_TYPE,PRJ_CUSTOM_FIELD) VALUES ('CF','维护',"
    "'[tessaro]'||char(10)||'title='||char(10)||'font=Microsoft Sans Serif,15'||char(10)||"
    "'BG_USER_01=自定义1,Text,10,20,150,20,'||char(10)||"
    "'BG_USER_01_ST=自定义1:,Static,10,0,150,20,'||char(10)||"
    "'BG_USER_02=自定义2,ComboBox,180,20,160,220,'||char(10)||"
    "'BG_USER_02_ST=自定义2:,Static,180,0,160,20,'||char(10)||"
    "'BG_USER_03=自定义3,ListBox,10,70,160,100,'||char(10)||"
    "'BG_USER_03_ST=自定义3:,Static,10,50,160,20,'||char(10)||"
    "'BG_USER_04=自定义4,Static,180,70,150,20,'||char(10)||"
    "'BG_USER_04_ST=自定义4:,Static,180,50,150,20,'||char(10));"
    "INSERT INTO t_user_prj (USER_NAME,PRJ_NAME) VALUES ('admin','CF');"
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_DESCRIPTION,BG_RESPONSIBLE,"
    "BG_DETECTED_BY,BG_SEVERITY,BG_USER_01,BG_USER_02,BG_USER_03,BG_USER_04) VALUES (901,'01-Open',"
    "'CF','with values','described','zhang','admin','01-中','first','01-中','00-高','shown');"
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_DESCRIPTION,BG_RESPONSIBLE,"
    "BG_DETECTED_BY,BG_SEVERITY,BG_USER_01,BG_USER_02,BG_USER_03,BG_USER_04) SELECT 903,BG_STATUS,"
    "PRJ_NAME,BG_SUMMARY,BG_DESCRIPTION,BG_RESPONSIBLE,BG_DETECTED_BY,BG_SEVERITY,BG_USER_01,"
    "BG_USER_02,BG_USER_03,BG_USER_04 FROM t_bug WHERE BG_BUG_ID=901;"
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_USER_02) "
    "VALUES (902,'01-Open','CF','value not in list','zz-gone');";

// Key presses carrying each character, as an input method delivers CJK text.
void TypeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}

const char kEmptyLayout[] = "[tessaro]\ntitle=\nfont=Microsoft Sans Serif,15\n";

class CustomFieldsTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() { StartServer(CDemoServer::SuiteOptions(kExtraSql)); }
    void SetUp() override {
        ASSERT_TRUE(s_server) << "server did not start";
        ASSERT_TRUE(s_server->Login(ctx)) << answerer.m_texts.join(" | ").toStdString();
        ASSERT_TRUE(m_dir.isValid());
        ctx.m_configDir = ctx.m_cacheDir = m_dir.path();
    }
    QString Value(const QString& sql) { return s_server->Value(ctx, sql); }
    // The project's layout as the metadata loader reads it.
    void UseProject(const QString& project) {
        ctx.m_currentProject = project;
        ctx.m_prjCustomField = Value(QString("select PRJ_CUSTOM_FIELD from t_prj where prj_name='%1'").arg(project));
    }
    void SavePng(QWidget& widget, const char* name) { EXPECT_TRUE(SaveScreenshot(widget, name)); }
    static void DoubleClickRow(QTableWidget* grid, const QString& column) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 1)->text() != column) continue;
            const QRect cell = grid->visualItemRect(grid->item(row, 0));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            return;
        }
        ADD_FAILURE() << "no row " << column.toStdString();
    }
    static QStringList Columns(QTableWidget* grid) {
        QStringList columns;
        for (int row = 0; row < grid->rowCount(); ++row) columns << grid->item(row, 1)->text();
        return columns;
    }

    CModalAnswerer answerer;
    CAppContext ctx;
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(CustomFieldsTest, DesignerPlacesDragsAndStoresTheLayout) {
    ASSERT_TRUE(s_server->server->RunSql("UPDATE t_prj SET PRJ_CUSTOM_FIELD='' WHERE PRJ_NAME='Demo';"));
    UseProject("Demo");
    CLayoutDesignDlg dialog(ctx);
    dialog.show();
    EXPECT_EQ(0, dialog.PlacedGrid()->rowCount());
    ASSERT_EQ(10, dialog.AvailableGrid()->rowCount());
    EXPECT_EQ(3, dialog.AvailableGrid()->columnCount());
    EXPECT_EQ(120, dialog.AvailableGrid()->columnWidth(0));
    EXPECT_EQ(1, dialog.AvailableGrid()->columnWidth(1));

    DoubleClickRow(dialog.AvailableGrid(), "BG_USER_01");
    DoubleClickRow(dialog.AvailableGrid(), "BG_USER_04");
    DoubleClickRow(dialog.AvailableGrid(), "BG_USER_02");
    EXPECT_EQ(QStringList({"BG_USER_01", "BG_USER_02", "BG_USER_04"}), Columns(dialog.PlacedGrid()));
    EXPECT_EQ(7, dialog.AvailableGrid()->rowCount());
    EXPECT_EQ(6, dialog.Form().GetFieldCount());
    // Placed one below the other, not stored yet.
    EXPECT_TRUE(ctx.m_prjCustomField.contains("BG_USER_02_ST=自定义2:,Static,0,96,160,20,"))
        << ctx.m_prjCustomField.toStdString();
    EXPECT_EQ("", Value("select PRJ_CUSTOM_FIELD from t_prj where prj_name='Demo'"));

    // The user drags two fields and widens one.
    QWidget* text = dialog.Form().FindControl("BG_USER_01");
    QWidget* combo = dialog.Form().FindControl("BG_USER_02");
    QWidget* caption = dialog.Form().FindControl("BG_USER_04_ST");
    ASSERT_TRUE(text && combo && caption);
    DragBy(text, text, {50, 10}, {200, 100});
    DragBy(text, text, {98, 10}, {40, 0});
    DragBy(combo, combo, {80, combo->height() / 2}, {30, 250});
    DragBy(caption, caption, {50, 10}, {300, 30});
    SavePng(dialog, "layout-designer");

    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(CustomFieldIds::ButtonModify)),
                      Qt::LeftButton);
    const QString expected = QString(kEmptyLayout) +
                             "BG_USER_01=自定义1,Text,200,120,140,20,\n"
                             "BG_USER_01_ST=自定义1:,Static,0,0,100,20,\n"
                             "BG_USER_04=自定义4,Static,0,68,100,20,\n"
                             "BG_USER_04_ST=自定义4:,Static,300,78,100,20,\n"
                             "BG_USER_02=自定义2,ComboBox,30,366,160,220,\n"
                             "BG_USER_02_ST=自定义2:,Static,0,96,160,20,\n";
    EXPECT_EQ(expected.toStdString(), Value("select PRJ_CUSTOM_FIELD from t_prj where prj_name='Demo'").toStdString());
    EXPECT_EQ(expected, ctx.m_prjCustomField);
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.m_texts.join(" | ").toStdString();

    // Removing a field takes its caption; the others stay where they were dragged.
    DoubleClickRow(dialog.PlacedGrid(), "BG_USER_04");
    EXPECT_EQ(QStringList({"BG_USER_01", "BG_USER_02"}), Columns(dialog.PlacedGrid()));
    EXPECT_EQ(4, dialog.Form().GetFieldCount());
    EXPECT_TRUE(ctx.m_prjCustomField.contains("BG_USER_01=自定义1,Text,200,120,140,20,\n"));
    EXPECT_FALSE(ctx.m_prjCustomField.contains("BG_USER_04"));
    // Nothing is stored before Modify.
    EXPECT_EQ(expected, Value("select PRJ_CUSTOM_FIELD from t_prj where prj_name='Demo'"));

    // Clear asks; No keeps everything, Yes stores the empty layout at once.
    answerer.SetAnswerYes(false);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(CustomFieldIds::ButtonClear)),
                      Qt::LeftButton);
    EXPECT_EQ(4, dialog.Form().GetFieldCount());
    answerer.SetAnswerYes(true);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::number(CustomFieldIds::ButtonClear)),
                      Qt::LeftButton);
    EXPECT_EQ(0, dialog.Form().GetFieldCount());
    EXPECT_EQ(kEmptyLayout, Value("select PRJ_CUSTOM_FIELD from t_prj where prj_name='Demo'"));
    EXPECT_EQ(kEmptyLayout, ctx.m_prjCustomField);
    EXPECT_EQ(2, answerer.m_texts.size());
}

TEST_F(CustomFieldsTest, DesignerModesAndFieldKinds) {
    ctx.m_currentProject = QStringLiteral("NoSuchProject");
    ctx.m_prjCustomField.clear();
    CLayoutDesignDlg dialog(ctx);
    dialog.show();
    QPushButton* mode = dialog.ChangeModeButton();
    EXPECT_EQ(ctx.Text(CustomFieldIds::TextToRunMode), mode->text());
    DoubleClickRow(dialog.AvailableGrid(), "BG_USER_03");  // ListBox
    DoubleClickRow(dialog.AvailableGrid(), "BG_USER_04");  // CheckBox: a Static field
    // The second one below the first.
    EXPECT_EQ((QString(kEmptyLayout) + "BG_USER_03=自定义3,ListBox,0,20,160,100,\n"
                                       "BG_USER_03_ST=自定义3:,Static,0,0,160,20,\n"
                                       "BG_USER_04=自定义4,Static,0,148,100,20,\n"
                                       "BG_USER_04_ST=自定义4:,Static,0,128,100,20,\n")
                  .toStdString(),
              ctx.m_prjCustomField.toStdString());
    // Run mode: the fields work as controls and stay where they are.
    QTest::mouseClick(mode, Qt::LeftButton);
    EXPECT_EQ(0, dialog.Form().IsDesignMode());
    EXPECT_EQ(ctx.Text(CustomFieldIds::TextToDesignMode), mode->text());
    QWidget* list = dialog.Form().FindControl("BG_USER_03");
    DragBy(list, list, {50, 50}, {100, 100});
    EXPECT_EQ(QPoint(0, 20), list->pos());
    QTest::mouseClick(mode, Qt::LeftButton);
    DragBy(list, list, {50, 50}, {100, 100});
    EXPECT_EQ(QPoint(100, 120), list->pos());
}

// Every column placed by a double click lands below the fields already
// there, or beside them when the form has no room left below, never on
// another field and never outside the form; also after a field was
// dragged to the middle.
TEST_F(CustomFieldsTest, DesignerPlacesEachNewFieldBelowOrBesideTheOthers) {
    for (const bool dragFirst : {false, true}) {
        SCOPED_TRACE(dragFirst ? "first field dragged" : "as placed");
        ctx.m_currentProject = QStringLiteral("NoSuchProject");
        ctx.m_prjCustomField.clear();
        CLayoutDesignDlg dialog(ctx);
        dialog.show();
        const QRect form = dialog.Canvas()->rect();
        const QStringList columns = Columns(dialog.AvailableGrid());
        ASSERT_EQ(10, columns.size());
        QRect previous;
        for (const QString& column : columns) {
            DoubleClickRow(dialog.AvailableGrid(), column);
            QWidget* caption = dialog.Form().FindControl(column + "_ST");
            QWidget* field = dialog.Form().FindControl(column);
            ASSERT_TRUE(caption && field) << column.toStdString();
            const QRect placed = caption->geometry().united(field->geometry());
            if (previous.isValid()) {
                EXPECT_TRUE(placed.top() > previous.bottom() || placed.left() > previous.right())
                    << column.toStdString() << " at " << placed.x() << "," << placed.y();
            }
            previous = placed;
            if (dragFirst && column == columns.first()) {
                DragBy(field, field, {10, 10}, {150, 150});
                previous = field->geometry();
            }
        }
        EXPECT_EQ(20, dialog.Form().GetFieldCount());
        std::vector<QRect> rects;
        for (const CFormField& field : dialog.Form().Fields()) {
            const QRect rect = dialog.Form().FindControl(field.m_name)->geometry();
            EXPECT_TRUE(form.contains(rect)) << field.m_name.toStdString();
            for (const QRect& other : rects)
                EXPECT_FALSE(rect.intersects(other)) << field.m_name.toStdString();
            rects.push_back(rect);
        }
        SavePng(dialog, dragFirst ? "layout-designer-full-dragged" : "layout-designer-full");
    }
}

TEST_F(CustomFieldsTest, DesignerStoresALongLayoutWhole) {
    // Labels long enough for a layout of several 3000-character pieces,
    // cut between CJK characters.
    QString label;
    for (int i = 0; i < 300; ++i) label += QStringLiteral("字");
    ASSERT_TRUE(s_server->server->RunSql(
        "UPDATE t_cfg_sys_list SET USER_LABEL='" + (label + "'||COLUMN_NAME").toStdString() +
        " WHERE COLUMN_NAME IN ('BG_USER_05','BG_USER_06','BG_USER_07','BG_USER_08');"
        "INSERT INTO t_prj (PRJ_NAME,PRJ_TYPE) VALUES ('Long','维护');"));
    ctx.m_currentProject = QStringLiteral("Long");
    ctx.m_prjCustomField.clear();
    CLayoutDesignDlg dialog(ctx);
    dialog.show();
    for (const char* column : {"BG_USER_05", "BG_USER_06", "BG_USER_07", "BG_USER_08"})
        DoubleClickRow(dialog.AvailableGrid(), column);
    ASSERT_GT(ctx.m_prjCustomField.toUtf8().size(), 2 * 3000);
    ASSERT_TRUE(dialog.OnSave());
    EXPECT_EQ(ctx.m_prjCustomField, Value("select PRJ_CUSTOM_FIELD from t_prj where prj_name='Long'"));
    // The stored text lays the same fields out again.
    CLayoutDesignDlg again(ctx);
    EXPECT_EQ(8, again.Form().GetFieldCount());
    EXPECT_EQ(4, again.PlacedGrid()->rowCount());
}

TEST_F(CustomFieldsTest, PageLoadsListsAndValuesAndGivesTheSaveItsFields) {
    UseProject("CF");
    ctx.m_currentBugId = 901;
    QDialog editor;
    auto* page = new CCustomFieldsDlg(ctx, &editor);
    (new QVBoxLayout(&editor))->addWidget(page);
    editor.resize(500, 300);
    editor.show();
    CDynamicForm& form = page->Form();
    ASSERT_EQ(8, form.GetFieldCount());
    EXPECT_EQ(0, form.IsDesignMode());
    EXPECT_EQ("BG_USER_01,BG_USER_02,BG_USER_03,BG_USER_04", page->BuildColumnList());
    // Captions are labels, the fields carry the defect's values.
    EXPECT_TRUE(qobject_cast<QLabel*>(form.FindControl("BG_USER_01_ST")));
    EXPECT_EQ("first", form.GetFieldValue("BG_USER_01"));
    auto* combo = qobject_cast<QComboBox*>(form.FindControl("BG_USER_02"));
    auto* list = qobject_cast<QListWidget*>(form.FindControl("BG_USER_03"));
    ASSERT_TRUE(combo && list);
    EXPECT_EQ(3, combo->count());
    EXPECT_EQ("01-中", combo->currentText());
    EXPECT_EQ(3, list->count());
    EXPECT_EQ("00-高", form.GetFieldValue("BG_USER_03"));
    EXPECT_EQ("shown", form.GetFieldValue("BG_USER_04"));
    EXPECT_FALSE(page->EditedFields().HasChanges());
    // The save names each field by its caption.
    QStringList captions;
    for (const FieldEdit& edit : page->EditedFields().Edits()) captions << edit.caption;
    EXPECT_EQ(QStringList({"自定义1", "自定义2", "自定义3", "自定义4"}), captions);
    SavePng(editor, "custom-fields-page");

    // The user types a quote and CJK text and picks other items.
    auto* edit = qobject_cast<QLineEdit*>(form.FindControl("BG_USER_01"));
    edit->setFocus();
    edit->selectAll();
    TypeText(edit, QStringLiteral("O'Brien 的缺陷"));
    combo->setCurrentIndex(combo->findText("02-低"));
    EXPECT_TRUE(page->EditedFields().HasChanges());
    const auto values = page->FieldValues();
    ASSERT_EQ(4u, values.size());
    EXPECT_EQ("BG_USER_01", values[0].column);
    EXPECT_EQ("first", values[0].stored);
    EXPECT_EQ("first", values[0].loaded);
    EXPECT_EQ("O'Brien 的缺陷", values[0].current);
    EXPECT_EQ(values[2].loaded, values[2].current);
    // The editor's save writes the changed fields as they are, and only those.
    CDefectSave save(ctx);
    ASSERT_EQ(CDefectSave::Saved, save.Run(901, page->EditedFields().Edits())) << save.Error().toStdString();
    EXPECT_TRUE(save.Wrote("BG_USER_01"));
    EXPECT_TRUE(save.Wrote("BG_USER_02"));
    EXPECT_FALSE(save.Wrote("BG_USER_03"));
    EXPECT_FALSE(save.Wrote("BG_USER_04"));
    EXPECT_EQ("O'Brien 的缺陷", Value("select BG_USER_01 from t_bug where BG_BUG_ID=901"));
    EXPECT_EQ("02-低", Value("select BG_USER_02 from t_bug where BG_BUG_ID=901"));

    // Escape on the page leaves the editor open.
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_TRUE(answerer.m_texts.isEmpty()) << answerer.m_texts.join(" | ").toStdString();
}

TEST_F(CustomFieldsTest, PageOfADefectWithoutValuesOrLayout) {
    UseProject("CF");
    // A stored value the list no longer has: no selection, and a save of
    // another field keeps it.
    ctx.m_currentBugId = 902;
    {
        CCustomFieldsDlg page(ctx);
        EXPECT_EQ(-1, qobject_cast<QComboBox*>(page.Form().FindControl("BG_USER_02"))->currentIndex());
        EXPECT_EQ("zz-gone", page.FieldValues()[1].stored);
        EXPECT_EQ("", page.FieldValues()[1].loaded);
        EXPECT_FALSE(page.EditedFields().HasChanges());
        page.Form().SetFieldValue("BG_USER_01", "typed");
        CDefectSave save(ctx);
        ASSERT_EQ(CDefectSave::Saved, save.Run(902, page.EditedFields().Edits())) << save.Error().toStdString();
        EXPECT_EQ("typed|zz-gone", Value("select BG_USER_01||'|'||BG_USER_02 from t_bug where BG_BUG_ID=902"));
    }
    // A new defect: no row, the fields keep what they start with.
    ctx.m_currentBugId = 5555;
    {
        CCustomFieldsDlg page(ctx);
        EXPECT_FALSE(page.LoadValues());
        EXPECT_EQ("自定义1", page.Form().GetFieldValue("BG_USER_01"));
        EXPECT_EQ("", page.FieldValues()[0].stored);
    }
    // No layout: an empty page that asks the server nothing.
    ctx.m_prjCustomField.clear();
    {
        CCustomFieldsDlg page(ctx);
        EXPECT_EQ(0, page.Form().GetFieldCount());
        EXPECT_TRUE(page.EditedFields().Edits().isEmpty());
        EXPECT_FALSE(page.LoadValues());
    }
    // A layout field that is no column: the select fails and says so.
    ctx.m_prjCustomField = "[tessaro]\nBG_NOPE=x,Text,0,0,100,20,\n";
    {
        CCustomFieldsDlg page(ctx);
        EXPECT_EQ(1, answerer.m_texts.size());
    }
    // A name that is no identifier never reaches the SQL.
    ctx.m_prjCustomField = "[tessaro]\nBG_USER_01 from t_cfg_st_user --=x,Text,0,0,100,20,\n"
                           "BG_USER_01=a,Text,0,30,100,20,\nBG_USER_05_st=b,Text,0,60,100,20,\n";
    EXPECT_FALSE(CCustomFieldsDlg::IsDataField("BG_USER_01 from t_cfg_st_user --"));
    EXPECT_FALSE(CCustomFieldsDlg::IsDataField("BG_USER_01_ST"));
    EXPECT_TRUE(CCustomFieldsDlg::IsDataField("BG_USER_05_st"));
    ctx.m_currentBugId = 901;
    {
        CCustomFieldsDlg page(ctx);
        EXPECT_EQ("BG_USER_01,BG_USER_05_st", page.BuildColumnList());
    }
}

TEST_F(CustomFieldsTest, FieldAttributePageShowsAndSavesAField) {
    CFieldAttributeDlg page(ctx);
    page.show();  // the first activation fills it
    EXPECT_TRUE(page.m_system->isChecked());
    EXPECT_FALSE(page.m_editStyle->isEnabled());
    EXPECT_TRUE(page.m_label->isEnabled());
    EXPECT_FALSE(page.m_modifyList->isVisible());
    EXPECT_EQ(15, page.m_labels->count());  // the used system fields
    EXPECT_EQ(4, page.m_editStyle->count());
    EXPECT_LT(0, page.m_listId->count());
    EXPECT_EQ(-1, page.m_listId->findText("defect_status"));  // a status list is no lookup list

    QTest::mouseClick(page.m_custom, Qt::LeftButton);
    EXPECT_TRUE(page.m_editStyle->isEnabled());
    ASSERT_EQ(10, page.m_labels->count());
    auto rowOf = [&page](const QString& label) {
        const auto items = page.m_labels->findItems(label, Qt::MatchExactly);
        return items.isEmpty() ? -1 : page.m_labels->row(items.first());
    };
    // A style stored in lower case selects its entry.
    page.m_labels->setCurrentRow(rowOf("自定义9"));
    EXPECT_EQ("BG_USER_09", page.m_column->text());
    EXPECT_EQ("ComboBox", page.m_editStyle->currentText());
    EXPECT_EQ("prj_type", page.m_listId->currentText());
    EXPECT_FALSE(page.m_used->isChecked());

    page.m_labels->setCurrentRow(rowOf("自定义10"));
    ASSERT_EQ("BG_USER_10", page.m_column->text());
    page.m_label->setText(QStringLiteral("客户's 名"));
    page.m_editStyle->setCurrentIndex(page.m_editStyle->findText("ComboBox"));
    page.m_listId->setCurrentIndex(page.m_listId->findText("severity"));
    page.m_used->setChecked(true);
    page.m_verify->setChecked(true);
    SavePng(page, "field-attribute-page");
    QTest::mouseClick(page.m_save, Qt::LeftButton);
    EXPECT_EQ(QStringList{ctx.Text(CustomFieldIds::MsgSuccess)}, answerer.m_texts);
    EXPECT_EQ("客户's 名|ComboBox|severity|1|1",
              Value("select USER_LABEL||'|'||EDIT_STYLE||'|'||REF_LIST||'|'||IS_USED||'|'||IS_VERIFY "
                    "from t_cfg_sys_list where COLUMN_NAME='BG_USER_10'"));
    // The list shows the new label, chosen again; the metadata follow.
    EXPECT_EQ(rowOf("客户's 名"), page.m_labels->currentRow());
    EXPECT_EQ("BG_USER_10", page.m_column->text());
    QString style;
    EXPECT_EQ("severity", ctx.GetColumnRefList("BG_USER_10", style));
    EXPECT_EQ("ComboBox", style);

    // No lookup list chosen stores an empty one.
    page.m_listId->setCurrentIndex(-1);
    page.m_verify->setChecked(false);
    ASSERT_TRUE(page.OnSave());
    EXPECT_EQ("|0", Value("select REF_LIST||'|'||IS_VERIFY from t_cfg_sys_list where COLUMN_NAME='BG_USER_10'"));
}

TEST_F(CustomFieldsTest, FieldAttributePageRefusesASaveWithoutAField) {
    CFieldAttributeDlg page(ctx);
    page.show();
    QTest::mouseClick(page.m_custom, Qt::LeftButton);
    page.m_label->setText("nobody's");
    EXPECT_FALSE(page.OnSave());
    EXPECT_EQ(QStringList{ctx.Text(CustomFieldIds::MsgChooseField)}, answerer.m_texts);
    EXPECT_EQ("0", Value("select count(*) from t_cfg_sys_list where USER_LABEL='nobody''s'"));
    // Pressing System lists the unused system fields too.
    ASSERT_TRUE(s_server->server->RunSql("UPDATE t_cfg_sys_list SET IS_USED='0' WHERE COLUMN_NAME='BG_ATTACHMENT';"));
    CFieldAttributeDlg fresh(ctx);
    fresh.show();
    EXPECT_EQ(14, fresh.m_labels->count());
    QTest::mouseClick(fresh.m_system, Qt::LeftButton);
    EXPECT_EQ(15, fresh.m_labels->count());
    ASSERT_TRUE(s_server->server->RunSql("UPDATE t_cfg_sys_list SET IS_USED='1' WHERE COLUMN_NAME='BG_ATTACHMENT';"));
}

TEST_F(CustomFieldsTest, EditorSavesTheCustomFieldsWithTheDefect) {
    UseProject("CF");
    ctx.m_currentBugId = 903;
    CDefectEditDlg editor(ctx);
    editor.Tabs()->setCurrentWidget(editor.CustomFieldsPage());
    editor.show();
    CDynamicForm& form = editor.CustomFieldsPage()->Form();
    EXPECT_EQ("first", form.GetFieldValue("BG_USER_01"));
    auto* edit = qobject_cast<QLineEdit*>(form.FindControl("BG_USER_01"));
    auto* combo = qobject_cast<QComboBox*>(form.FindControl("BG_USER_02"));
    auto* list = qobject_cast<QListWidget*>(form.FindControl("BG_USER_03"));
    ASSERT_TRUE(edit && combo && list);
    edit->selectAll();
    TypeText(edit, QStringLiteral("客户说 'it's broken'"));
    combo->setCurrentIndex(combo->findText("02-低"));
    list->setCurrentRow(2);
    SavePng(editor, "editor-custom-tab");

    editor.ModifyButton()->click();
    EXPECT_FALSE(editor.isVisible());
    ASSERT_FALSE(answerer.m_texts.isEmpty());
    EXPECT_EQ(ctx.Text(CustomFieldIds::MsgSuccess), answerer.m_texts.last());
    EXPECT_EQ("客户说 'it's broken'|02-低|02-低|shown|with values",
              Value("select BG_USER_01||'|'||BG_USER_02||'|'||BG_USER_03||'|'||BG_USER_04||'|'||BG_SUMMARY "
                    "from t_bug where BG_BUG_ID=903"));
}

TEST_F(CustomFieldsTest, NewDefectStoresWhatWasTypedOnTheCustomTab) {
    UseProject("CF");
    ctx.m_currentBugId = -1;
    CDefectEditDlg editor(ctx);
    editor.show();
    CDefectFieldsDlg& fields = *editor.FieldsPage();
    fields.Description()->setPlainText("found on the custom tab");
    fields.Summary()->setText("custom values at once");
    fields.Responsible()->SelectText("zhang (张伟)", 3);
    CDynamicForm& form = editor.CustomFieldsPage()->Form();
    // A new defect's text field starts with its label; typed over, it is stored.
    EXPECT_EQ("自定义1", form.GetFieldValue("BG_USER_01"));
    auto* edit = qobject_cast<QLineEdit*>(form.FindControl("BG_USER_01"));
    edit->selectAll();
    TypeText(edit, QStringLiteral("新的 'value'"));
    qobject_cast<QListWidget*>(form.FindControl("BG_USER_03"))->setCurrentRow(1);

    editor.NewButton()->click();
    ASSERT_FALSE(editor.isVisible()) << answerer.Joined().toStdString();
    const int id = ctx.m_currentBugId;
    // Fields left as they started (the combo box with no choice, the
    // caption-like static) are not stored.
    EXPECT_EQ("新的 'value'|01-中|<none>|<none>|custom values at once",
              Value(QString("select BG_USER_01||'|'||BG_USER_03||'|'||coalesce(BG_USER_02,'<none>')||'|'||"
                            "coalesce(BG_USER_04,'<none>')||'|'||BG_SUMMARY from t_bug where BG_BUG_ID=%1")
                        .arg(id)));
}
