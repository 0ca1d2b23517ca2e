// The grid export: result grids filled from a real lumenolite with the demo
// database, written through the save dialog and read back with openpyxl.
#include "CGridExport.h"
#include "CResultGrid.h"
#include "ClientFixtures.h"
#include "FileDialogAnswerer.h"
#include "GridExport.h"
#include "WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Quotes of both kinds, CJK text and empty cells in the demo rows, and a
// list of 10 000 defects in a project of its own.
const char* const kExtraSql =
    "UPDATE t_bug SET BG_DEV_COMMENTS='它''s 3.5 “引号” \"double\"' WHERE BG_BUG_ID=3;"
    "UPDATE t_bug SET BG_SUMMARY='O''Brien said: ''it''s ok''' WHERE BG_BUG_ID=4;"
    "INSERT INTO t_prj (PRJ_NAME,PRJ_CUSTOM_FIELD) VALUES ('Many','');"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
    "INSERT INTO t_bug (BG_BUG_ID,BG_STATUS,PRJ_NAME,BG_SUMMARY,BG_RESPONSIBLE) "
    "SELECT 50000+i,'01-Open','Many','第 '||i||' 个缺陷','li' FROM n;";

const char* const kDemoList =
    "select BG_BUG_ID,BG_ATTACHMENT,BG_SUMMARY,BG_STATUS,BG_SEVERITY,BG_DEV_COMMENTS,BG_CLOSING_DATE "
    "from t_bug where PRJ_NAME<>'Many' order by BG_BUG_ID";

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every cell of the sheet against the grid as it shows itself (columns in
// header order, rows in view order): text for text, null for empty.
void ExpectSheetShowsGrid(const CWorkbookCells& book, const QTableView& grid) {
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    const QAbstractItemModel& model = *grid.model();
    const QHeaderView& header = *grid.horizontalHeader();
    ASSERT_EQ(book.RowCount(), model.rowCount() + 1);
    for (int visual = 0; visual < header.count(); ++visual) {
        const int column = header.logicalIndex(visual);
        EXPECT_EQ(book.Cell(0, visual).toString(),
                  CGridExport::ColumnName(model.headerData(column, Qt::Horizontal).toString()));
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString text = model.index(row, column).data().toString();
            const QJsonValue cell = book.Cell(row + 1, visual);
            if (text.isEmpty())
                EXPECT_TRUE(cell.isNull()) << row << "," << visual;
            else
                EXPECT_EQ(cell.toString().toStdString(), text.toStdString()) << row << "," << visual;
        }
    }
}

class GridExportTest : public CDemoServerTest {
protected:
    static void SetUpTestSuite() {
        // The save dialog keeps its history in the user's Qt settings: here
        // in a folder of the suite's own, not in the home folder.
        s_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(s_config->path()));
        StartServer(true, kExtraSql);
    }

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        CSettingsValues values;
        values.port = s_server->Port();
        m_login = std::make_unique<CTestContext>(values);
        QString why;
        ASSERT_TRUE(m_login->LogIn(m_answerer, why)) << why.toStdString();
        m_answerer.m_texts.clear();
        m_grid = std::make_unique<CResultGrid>(Context());
        m_grid->SetDataClient(&Context().m_http);
        m_grid->SetStandardLook();
        m_grid->SetRowNumbers(0);
    }
    void TearDown() override { EXPECT_EQ(m_dialogs.m_unexpected, 0) << "a save dialog nobody expected"; }

    CAppContext& Context() { return m_login->context; }
    QString Path(const QString& name) const { return m_dir.path() + "/" + name; }
    // Files of the test folder, hidden ones (temp files) included.
    QStringList Files() const {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString ExportedText(const QString& path) { return Context().Text(GridExportTexts::Exported) + " " + path + "!"; }
    void Export(int numeric = 0) { ExportGridToExcel(Context(), *m_grid, QStringLiteral("grid"), numeric); }

    static std::unique_ptr<QTemporaryDir> s_config;
    QTemporaryDir m_dir;
    CModalAnswerer m_answerer;
    CFileDialogAnswerer m_dialogs;
    std::unique_ptr<CTestContext> m_login;
    std::unique_ptr<CResultGrid> m_grid;
};

std::unique_ptr<QTemporaryDir> GridExportTest::s_config;

// While it lives the folder takes no new file: it is made read-only and,
// since root writes anywhere, a root process acts as nobody meanwhile.
class CUnwritableFolder {
public:
    explicit CUnwritableFolder(const QString& path) : m_path(QFile::encodeName(path)) {
        mkdir(m_path.constData(), 0755);
        chmod(m_path.constData(), 0555);
        if (geteuid() == 0) m_wasRoot = seteuid(65534) == 0;
    }
    ~CUnwritableFolder() {
        if (m_wasRoot) {
            EXPECT_EQ(seteuid(0), 0);
        }
        chmod(m_path.constData(), 0755);
    }

private:
    QByteArray m_path;
    bool m_wasRoot = false;
};

TEST_F(GridExportTest, DemoListIsWrittenAsTheGridShowsIt) {
    ASSERT_EQ(m_grid->RunQuery(kDemoList), 1);
    CResultGridModel& model = *m_grid->Model();
    ASSERT_GT(model.rowCount(), 30);
    // The defect list's attachment marks: caption "-" and empty cells.
    model.SetCaption(1, QStringLiteral("-"));
    for (int row = 0; row < model.rowCount(); ++row) model.SetText(row, 1, QString());
    // The user sorted by summary, descending, and dragged the status first.
    m_grid->sortByColumn(2, Qt::DescendingOrder);
    m_grid->horizontalHeader()->moveSection(3, 0);

    const QString path = Path("demo.xlsx");
    m_dialogs.Choose(path);
    Export();
    ASSERT_EQ(m_dialogs.m_opened, 1);
    EXPECT_EQ(m_dialogs.m_titles.value(0), QString::fromUtf8("导出"));
    EXPECT_EQ(m_dialogs.m_filters.value(0), QString::fromUtf8("Excel文件(*.xlsx)"));
    EXPECT_EQ(m_dialogs.m_filters.value(1), Context().Text(GridExportTexts::AllFiles));
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\.xlsx$").match(m_dialogs.m_proposed).hasMatch())
        << m_dialogs.m_proposed.toStdString();
    ASSERT_EQ(m_answerer.m_texts, QStringList{ExportedText(path)});

    const CWorkbookCells book = ReadWorkbook(path);
    EXPECT_EQ(book.sheets, QStringList{"grid"});
    ExpectSheetShowsGrid(book, *m_grid);
    EXPECT_EQ(book.Cell(0, 0).toString(), "BG_STATUS");
    EXPECT_EQ(book.Cell(0, 1).toString(), "BG_BUG_ID");
    EXPECT_EQ(book.Cell(0, 2).toString(), "A");
    EXPECT_TRUE(book.Cell(1, 2).isNull());
    // Text cells, also for numbers, with the flag 0.
    EXPECT_TRUE(book.Cell(1, 1).isString());
    // Quotes and CJK text exactly as stored.
    bool quotes = false, cjk = false;
    for (int row = 1; row < book.RowCount(); ++row) {
        quotes |= book.Cell(row, 3).toString() == QString::fromUtf8("O'Brien said: 'it's ok'");
        cjk |= book.Cell(row, 5).toString() == QString::fromUtf8("它's 3.5 “引号” \"double\"");
    }
    EXPECT_TRUE(quotes);
    EXPECT_TRUE(cjk);
    EXPECT_EQ(Files(), QStringList{"demo.xlsx"});
}

TEST_F(GridExportTest, TenThousandRowsAreAllWritten) {
    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID,BG_SUMMARY,BG_STATUS from t_bug where PRJ_NAME='Many' "
                               "order by BG_BUG_ID"),
              1);
    m_grid->FinishPaging();
    ASSERT_EQ(m_grid->RowCount(), 10000);
    const QString path = Path("many.xlsx");
    m_dialogs.Choose(path);
    Export(1);
    ASSERT_EQ(m_answerer.m_texts, QStringList{ExportedText(path)});
    const CWorkbookCells book = ReadWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    ASSERT_EQ(book.RowCount(), 10001);
    // The numeric flag: ids are numbers, texts stay texts.
    EXPECT_EQ(book.Cell(1, 0), QJsonValue(50001));
    EXPECT_EQ(book.Cell(10000, 0), QJsonValue(60000));
    EXPECT_EQ(book.Cell(10000, 1).toString(), QString::fromUtf8("第 10000 个缺陷"));
    EXPECT_EQ(book.Cell(5000, 2).toString(), "01-Open");
}

TEST_F(GridExportTest, EmptyGridAndCancelWriteNothingAndSayNothing) {
    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID,BG_SUMMARY from t_bug where 1=0"), 1);
    ASSERT_EQ(m_grid->RowCount(), 0);
    ASSERT_EQ(m_grid->Model()->columnCount(), 2);
    Export();
    EXPECT_EQ(m_dialogs.m_opened, 0);

    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID from t_bug where BG_BUG_ID=1"), 1);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir.path());  // where the dialog proposes its file
    m_dialogs.Cancel();
    Export();
    QDir::setCurrent(cwd);
    EXPECT_EQ(m_dialogs.m_opened, 1);
    EXPECT_TRUE(m_answerer.m_texts.isEmpty()) << m_answerer.Joined().toStdString();
    EXPECT_TRUE(Files().isEmpty());
}

TEST_F(GridExportTest, AnExistingFileIsReplacedWhole) {
    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID,BG_SUMMARY from t_bug where BG_BUG_ID<=2 order by BG_BUG_ID"), 1);
    const QString path = Path("old.xlsx");
    ASSERT_TRUE(WriteBytes(path, "not a workbook"));
    m_dialogs.Choose(path);
    Export();
    // The dialog's replace question, answered Yes, then the result.
    ASSERT_EQ(m_answerer.m_texts.size(), 2) << m_answerer.Joined().toStdString();
    EXPECT_NE(m_answerer.m_texts[0].indexOf("old.xlsx"), -1);
    EXPECT_EQ(m_answerer.m_texts[1], ExportedText(path));
    const CWorkbookCells book = ReadWorkbook(path);
    ExpectSheetShowsGrid(book, *m_grid);
    EXPECT_EQ(Files(), QStringList{"old.xlsx"});
}

TEST_F(GridExportTest, AFailedReplaceSaysSoAndKeepsTheOldFile) {
    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID,BG_SUMMARY from t_bug where BG_BUG_ID<=2"), 1);
    const QString overwriteFailed = QString::fromUtf8("覆盖文件时出错！");
    const QString path = Path("old.xlsx");
    ASSERT_TRUE(WriteBytes(path, "old content"));

    // A workbook that fails after its temp file exists (a sheet name the
    // format refuses) leaves the old file and no temp file behind.
    m_dialogs.Choose(path);
    ExportGridToExcel(Context(), *m_grid, QStringLiteral("bad:name"), 0);
    ASSERT_EQ(m_answerer.m_texts.size(), 2) << m_answerer.Joined().toStdString();  // replace? Yes
    EXPECT_TRUE(m_answerer.m_texts[1].startsWith(overwriteFailed + "\n")) << m_answerer.m_texts[1].toStdString();
    EXPECT_NE(m_answerer.m_texts[1].indexOf("bad:name"), -1);
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(Files(), QStringList{"old.xlsx"});

    // A folder in the file's place is not replaced either.
    ASSERT_TRUE(QDir().mkpath(Path("taken.xlsx")));
    CGridExport exporter;
    EXPECT_FALSE(exporter.Write(*m_grid, QStringLiteral("grid"), 0, Path("taken.xlsx")));
    EXPECT_TRUE(QFileInfo(Path("taken.xlsx")).isDir());
    EXPECT_EQ(Files(), QStringList{"old.xlsx"});
}

// More rows than a sheet holds: computed, not stored.
class CHugeModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = QModelIndex()) const override { return 1048576; }
    int columnCount(const QModelIndex& = QModelIndex()) const override { return 1; }
    QVariant data(const QModelIndex& index, int role) const override {
        return role == Qt::DisplayRole ? QVariant(index.row()) : QVariant();
    }
};

TEST_F(GridExportTest, AGridLongerThanASheetIsRefusedNotCut) {
    CHugeModel model;
    QTableView grid;
    grid.setModel(&model);
    const QString path = Path("old.xlsx");
    ASSERT_TRUE(WriteBytes(path, "old content"));
    m_dialogs.Choose(path);
    ExportGridToExcel(Context(), grid, QStringLiteral("grid"), 0);
    ASSERT_EQ(m_answerer.m_texts.size(), 2) << m_answerer.Joined().toStdString();
    EXPECT_TRUE(m_answerer.m_texts[1].startsWith(QString::fromUtf8("覆盖文件时出错！\n")));
    EXPECT_NE(m_answerer.m_texts[1].indexOf("1048575"), -1) << m_answerer.m_texts[1].toStdString();
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(Files(), QStringList{"old.xlsx"});
}

TEST_F(GridExportTest, AnUnwritableFolderSaysWhyAndWritesNothing) {
    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID,BG_SUMMARY from t_bug where BG_BUG_ID<=2"), 1);
    // The test folder itself must stay reachable for nobody.
    ASSERT_EQ(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    const QString folder = Path("locked");
    const QString path = folder + "/out.xlsx";
    {
        CUnwritableFolder locked(folder);
        m_dialogs.Choose(path);
        Export();
    }
    ASSERT_EQ(m_answerer.m_texts.size(), 1) << m_answerer.Joined().toStdString();
    EXPECT_TRUE(m_answerer.m_texts[0].startsWith(Context().Text(GridExportTexts::Failed) + "\n"))
        << m_answerer.m_texts[0].toStdString();
    EXPECT_NE(m_answerer.m_texts[0].indexOf(folder), -1) << m_answerer.m_texts[0].toStdString();
    EXPECT_TRUE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(GridExportTest, AFileNameOfTheLongestLengthIsWritten) {
    ASSERT_EQ(m_grid->RunQuery("select BG_BUG_ID,BG_SUMMARY from t_bug where BG_BUG_ID<=2"), 1);
    const QString name = QString(250, 'n') + ".xlsx";  // 255 bytes, the most a name may have
    m_dialogs.Choose(Path(name));
    Export();
    ASSERT_EQ(m_answerer.m_texts, QStringList{ExportedText(Path(name))});
    ExpectSheetShowsGrid(ReadWorkbook(Path(name)), *m_grid);
    EXPECT_EQ(Files(), QStringList{name});
}

TEST_F(GridExportTest, TheNumericFlagWritesNumbersWhereTextsReadAsNumbers) {
    QStandardItemModel model(0, 4);
    model.setHorizontalHeaderLabels({"n", "x", "t", "e"});
    const QList<QStringList> rows = {
        {"1", "2.5", "中文", ""}, {"-3", "1e3", "12abc", ""}, {"007", " 4 ", "inf", "x"}};
    for (const QStringList& texts : rows) {
        QList<QStandardItem*> items;
        for (const QString& text : texts) items << new QStandardItem(text);
        model.appendRow(items);
    }
    QTableView grid;
    grid.setModel(&model);
    struct Case {
        int numeric;
        QJsonValue n1, x1, x2, n3, x3;
    };
    const Case cases[] = {
        {0, QJsonValue("1"), QJsonValue("2.5"), QJsonValue("1e3"), QJsonValue("007"), QJsonValue(" 4 ")},
        {1, QJsonValue(1), QJsonValue(2.5), QJsonValue(1000), QJsonValue(7), QJsonValue(4)},
    };
    for (const Case& c : cases) {
        const QString path = Path(QStringLiteral("numbers%1.xlsx").arg(c.numeric));
        CGridExport exporter;
        ASSERT_TRUE(exporter.Write(grid, "grid", c.numeric, path)) << exporter.LastError().toStdString();
        const CWorkbookCells book = ReadWorkbook(path);
        ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        EXPECT_EQ(book.Cell(1, 0), c.n1) << c.numeric;
        EXPECT_EQ(book.Cell(1, 1), c.x1) << c.numeric;
        EXPECT_EQ(book.Cell(2, 1), c.x2) << c.numeric;
        EXPECT_EQ(book.Cell(3, 0), c.n3) << c.numeric;
        EXPECT_EQ(book.Cell(3, 1), c.x3) << c.numeric;
        // Texts that are no numbers stay texts; empty cells stay empty.
        EXPECT_EQ(book.Cell(1, 2).toString(), QString::fromUtf8("中文"));
        EXPECT_EQ(book.Cell(2, 2).toString(), "12abc");
        EXPECT_EQ(book.Cell(3, 2).toString(), "inf");
        EXPECT_TRUE(book.Cell(1, 3).isNull());
        EXPECT_EQ(book.Cell(3, 3).toString(), "x");
    }
}

TEST(GridExportPieces, NamesCellsAndFolders) {
    EXPECT_EQ(CGridExport::ColumnName("-"), "A");
    EXPECT_EQ(CGridExport::ColumnName("--"), "--");
    EXPECT_EQ(CGridExport::ColumnName(QString::fromUtf8("缺陷状态")), QString::fromUtf8("缺陷状态"));
    EXPECT_EQ(CGridExport::ProposedFileName(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))), "20260102030405.xlsx");
    EXPECT_FALSE(FindExcelOdbcDriver().isEmpty());

    // Cells longer than a sheet cell holds are cut, never inside a pair.
    EXPECT_EQ(CGridExport::CellText(QString(40000, 'x')).size(), CGridExport::kMaxCellChars);
    const QString pair = QString::fromUtf8("😀");
    EXPECT_EQ(CGridExport::CellText(QString(CGridExport::kMaxCellChars - 1, 'x') + pair).size(),
              CGridExport::kMaxCellChars - 1);
    const QString shortText = QString(10, 'y') + pair;
    EXPECT_EQ(CGridExport::CellText(shortText), shortText);

    QTemporaryDir dir;
    const QString root = dir.path();
    const struct {
        QString path;
        int flag;
        int result;
        QString folder;  // must exist afterwards
        QString absent;  // must not
    } cases[] = {
        {root + "/a/b/file.xlsx", 1, 0, root + "/a/b", root + "/a/b/file.xlsx"},
        {root + "/c/d", 0, 1, root + "/c/d", QString()},
        {root + "/a/b", 1, 1, root + "/a/b", QString()},
        {root + "/e/f/", 1, 1, root + "/e/f", QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CreateDirPath(c.path, c.flag), c.result) << c.path.toStdString();
        EXPECT_TRUE(QFileInfo(c.folder).isDir()) << c.folder.toStdString();
        if (!c.absent.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(c.absent));
        }
    }
}

TEST(GridExportPieces, ALongCellIsCutToWhatASheetCellHolds) {
    QTemporaryDir dir;
    QStandardItemModel model(1, 1);
    model.setHorizontalHeaderLabels({"long"});
    model.setItem(0, 0, new QStandardItem(QString(40000, QChar(0x4E2D))));
    QTableView grid;
    grid.setModel(&model);
    CGridExport exporter;
    const QString path = dir.path() + "/long.xlsx";
    ASSERT_TRUE(exporter.Write(grid, "grid", 0, path)) << exporter.LastError().toStdString();
    const CWorkbookCells book = ReadWorkbook(path);
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_EQ(book.Cell(1, 0).toString(), QString(CGridExport::kMaxCellChars, QChar(0x4E2D)));
}

}  // namespace
