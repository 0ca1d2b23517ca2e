// The screen capture on a picture painted by the test: drawing, moving,
// resizing and dropping the selection with mouse and key events, the tip,
// and the JPEG a named selection becomes.
#include "CCaptureTipWnd.h"
#include "CAppContext.h"
#include "CPromptInputDlg.h"
#include "CScreenCaptureDlg.h"
#include "CaptureIds.h"
#include "ClientFixtures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace {

const int kWidth = 640;
const int kHeight = 480;

// Left half red, right half blue, a green square at (200..299, 100..199).
QImage ColourPicture() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, kWidth / 2, kHeight, QColor(200, 0, 0));
    painter.fillRect(kWidth / 2, 0, kWidth / 2, kHeight, QColor(0, 0, 200));
    painter.fillRect(200, 100, 100, 100, QColor(0, 180, 0));
    return picture;
}

QImage GreyPicture() {
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) picture.setPixel(x, y, qRgb((x + y) % 256, (x + y) % 256, (x + y) % 256));
    return picture;
}

// Answers the name prompt the capture opens (Cancel for a null text) and
// any message box, keeping their texts.
class CPromptAnswer : public QObject {
public:
    explicit CPromptAnswer(const QString& text) : m_text(text) {
        connect(&m_timer, &QTimer::timeout, this, [this] { Poll(); });
        m_timer.start(10);
    }
    QString m_title;
    QStringList m_messages;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_messages << box->text();
            box->done(QMessageBox::Ok);
            return;
        }
        auto* prompt = qobject_cast<CPromptInputDlg*>(modal);
        if (!prompt || !prompt->isVisible()) return;
        m_title = prompt->windowTitle();
        if (m_text.isNull()) {
            prompt->reject();
            return;
        }
        prompt->findChild<QLineEdit*>()->setText(m_text);
        prompt->findChild<QPushButton*>("3043")->click();
    }
    QString m_text;
    QTimer m_timer;
};

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        context.m_exeDir = QString::fromStdString(CServerFixture::BinDir());
        context.m_cacheDir = m_dir.path();
        context.m_currentBugId = 7;
        ASSERT_TRUE(context.LoadLanguage("english"));
    }

    std::unique_ptr<CScreenCaptureDlg> Open(const QImage& picture = ColourPicture()) {
        auto dlg = std::make_unique<CScreenCaptureDlg>(context, picture);
        dlg->OnInitDialog();
        dlg->show();
        return dlg;
    }

    static void Mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, const QPoint& point) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
                                          ? Qt::MouseButtons()
                                          : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(point), widget->mapToGlobal(QPointF(point)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
    static void Press(QWidget* w, const QPoint& p, Qt::MouseButton b = Qt::LeftButton) {
        Mouse(w, QEvent::MouseButtonPress, b, p);
    }
    static void Release(QWidget* w, const QPoint& p, Qt::MouseButton b = Qt::LeftButton) {
        Mouse(w, QEvent::MouseButtonRelease, b, p);
    }
    static void Move(QWidget* w, const QPoint& p) { Mouse(w, QEvent::MouseMove, Qt::NoButton, p); }
    static void Drag(QWidget* w, const QPoint& from, const QPoint& to) {
        Press(w, from);
        Move(w, to);
        Release(w, to);
    }
    static void DoubleClick(QWidget* w, const QPoint& p) {
        Press(w, p);
        Release(w, p);
        Mouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton, p);
        Release(w, p);
    }
    static void Key(QWidget* w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }
    static CCaptureRect Rect(const CScreenCaptureDlg& dlg) { return dlg.Tracker().m_rect; }
    static std::string Text(const CCaptureRect& r) {
        return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom) + ")";
    }
    QString Hint(int id) const { return context.Text(id).split("\\n").first(); }

    QTemporaryDir m_dir;
    CAppContext context;
};

TEST_F(CaptureTest, DrawingASelectionStartsFourPixelsInFromWhereTheButtonWentDown) {
    auto dlg = Open();
    EXPECT_TRUE(dlg->Tip()->toPlainText().contains(Hint(ids::kMsgCaptureHintNone)));
    Press(dlg.get(), QPoint(100, 100));
    EXPECT_EQ(Text(Rect(*dlg)), "(100,100,104,104)");
    Move(dlg.get(), QPoint(300, 200));
    EXPECT_EQ(Text(Rect(*dlg)), "(104,104,300,200)");
    EXPECT_TRUE(dlg->IsDrawing());
    EXPECT_TRUE(dlg->Tip()->toPlainText().contains(Hint(ids::kMsgCaptureHintDrawing)));
    Release(dlg.get(), QPoint(300, 200));
    EXPECT_FALSE(dlg->IsDrawing());
    EXPECT_TRUE(dlg->HasSelection());
    EXPECT_EQ(Text(Rect(*dlg)), "(104,104,300,200)");
    EXPECT_TRUE(dlg->Tip()->toPlainText().contains(Hint(ids::kMsgCaptureHintSelected)));
    // A press outside the selection while one exists changes nothing.
    Drag(dlg.get(), QPoint(500, 400), QPoint(550, 450));
    EXPECT_EQ(Text(Rect(*dlg)), "(104,104,300,200)");

    // Drawn up and to the left, the selection comes out normalised.
    auto other = Open();
    Drag(other.get(), QPoint(300, 200), QPoint(100, 100));
    EXPECT_EQ(Text(Rect(*other)), "(100,100,304,204)");
}

TEST_F(CaptureTest, MovingAndResizingFollowTheHandlesAndEscapeOrTheRightButtonPutItBack) {
    auto dlg = Open();
    Drag(dlg.get(), QPoint(96, 96), QPoint(200, 200));  // (100,100,200,200)
    ASSERT_EQ(Text(Rect(*dlg)), "(100,100,200,200)");
    const struct {
        const char* what;
        QPoint from, to;
        const char* rect;
    } cases[] = {
        {"inside moves", {150, 150}, {170, 160}, "(120,110,220,210)"},
        {"right handle", {220, 158}, {260, 158}, "(120,110,260,210)"},
        {"bottom-right corner", {261, 211}, {241, 191}, "(120,110,240,190)"},
        {"left handle past the right edge inverts", {117, 148}, {300, 148}, "(240,110,303,190)"},
        {"top handle stops short of the bottom", {270, 107}, {270, 189}, "(240,182,303,190)"},
    };
    for (const auto& c : cases) {
        Drag(dlg.get(), c.from, c.to);
        EXPECT_EQ(Text(Rect(*dlg)), c.rect) << c.what;
    }
    // Escape and the right button during a move put the rectangle back.
    const std::string before = Text(Rect(*dlg));
    Press(dlg.get(), QPoint(270, 186));
    Move(dlg.get(), QPoint(330, 230));
    Key(dlg.get(), Qt::Key_Escape);
    Release(dlg.get(), QPoint(330, 230));
    EXPECT_EQ(Text(Rect(*dlg)), before);
    EXPECT_TRUE(dlg->HasSelection());
    Press(dlg.get(), QPoint(270, 186));
    Move(dlg.get(), QPoint(330, 230));
    Press(dlg.get(), QPoint(330, 230), Qt::RightButton);
    Release(dlg.get(), QPoint(330, 230), Qt::RightButton);
    Release(dlg.get(), QPoint(330, 230));
    EXPECT_EQ(Text(Rect(*dlg)), before);
    EXPECT_TRUE(dlg->HasSelection());
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(CaptureTest, TheRightButtonOrEscapeDropTheSelectionAndThenCancel) {
    for (const bool useEscape : {false, true}) {
        SCOPED_TRACE(useEscape ? "Escape" : "right button");
        auto dlg = Open();
        Drag(dlg.get(), QPoint(100, 100), QPoint(300, 200));
        auto step = [&] {
            if (useEscape) {
                Key(dlg.get(), Qt::Key_Escape);
            } else {
                Press(dlg.get(), QPoint(150, 150), Qt::RightButton);
                Release(dlg.get(), QPoint(150, 150), Qt::RightButton);
            }
        };
        step();
        EXPECT_FALSE(dlg->HasSelection());
        EXPECT_EQ(Text(Rect(*dlg)), "(-1,-1,-1,-1)");
        EXPECT_TRUE(dlg->isVisible());
        // Enter never ends the capture.
        Key(dlg.get(), Qt::Key_Return);
        EXPECT_TRUE(dlg->isVisible());
        step();
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
        EXPECT_TRUE(dlg->m_jpegPath.isEmpty());
    }
}

TEST_F(CaptureTest, ASelectionBeyondTheScreenEdgeIsClipped) {
    auto dlg = Open();
    // Drawn from the bottom-right corner: its anchor lies off the screen.
    Drag(dlg.get(), QPoint(kWidth - 2, kHeight - 2), QPoint(kWidth - 100, kHeight - 100));
    EXPECT_EQ(Text(Rect(*dlg)), "(540,380,642,482)");
    EXPECT_EQ(dlg->SaveSelection(Rect(*dlg), false).size(), QSize(100, 100));
    // Moved half off the left edge.
    Drag(dlg.get(), QPoint(600, 420), QPoint(10, 420));
    EXPECT_EQ(Text(Rect(*dlg)), "(-50,380,52,482)");
    const QImage part = dlg->SaveSelection(Rect(*dlg), false);
    EXPECT_EQ(part.size(), QSize(52, 100));
    EXPECT_EQ(part.pixelColor(0, 0), QColor(200, 0, 0));
    EXPECT_TRUE(dlg->SaveSelection(CCaptureRect(), false).isNull());
}

TEST_F(CaptureTest, ADoubleClickInsideNamesTheSelectionAndSavesAJpeg) {
    const struct {
        QString typed;
        const char* file;
        const char* attachment;
    } cases[] = {
        {"abc", "7_abc.jpg", "abc.jpg"},
        {"../up/report", "7_report.jpg", "report.jpg"},
        {QString(), nullptr, nullptr},  // Cancel: OK, but nothing saved
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QDir(context.TempDir()).removeRecursively();
        auto dlg = Open();
        Drag(dlg.get(), QPoint(100, 100), QPoint(300, 200));
        CPromptAnswer answer(c.typed);
        // A double click outside the selection does nothing.
        DoubleClick(dlg.get(), QPoint(400, 300));
        EXPECT_TRUE(dlg->isVisible());
        DoubleClick(dlg.get(), QPoint(150, 150));
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), QDialog::Accepted);
        EXPECT_EQ(answer.m_title, context.Text(ids::kMsgCaptureNameTitle));
        if (!c.file) {
            EXPECT_TRUE(dlg->m_jpegPath.isEmpty());
            EXPECT_TRUE(dlg->m_attachName.isEmpty());
            EXPECT_TRUE(QDir(context.TempDir()).entryList(QDir::Files).isEmpty());
            continue;
        }
        EXPECT_EQ(dlg->m_jpegPath, context.TempDir() + "/" + c.file);
        EXPECT_EQ(dlg->m_attachName, c.attachment);
        // Only the JPEG: no bitmap left beside it.
        EXPECT_EQ(QDir(context.TempDir()).entryList(QDir::Files), QStringList{c.file});
        QImageReader reader(dlg->m_jpegPath);
        EXPECT_EQ(reader.format(), "jpeg");
        const QImage saved = reader.read();
        ASSERT_FALSE(saved.isNull());
        EXPECT_EQ(saved.size(), QSize(196, 96));
        // Quality 100 keeps the colours close: red left of x 200, green after.
        const QColor red = saved.pixelColor(40, 40);
        const QColor green = saved.pixelColor(150, 40);
        EXPECT_GT(red.red(), 180);
        EXPECT_LT(red.green(), 20);
        EXPECT_GT(green.green(), 160);
        EXPECT_LT(green.red(), 20);
        EXPECT_TRUE(answer.m_messages.isEmpty());
    }
}

TEST_F(CaptureTest, AGreyPictureIsSavedGreyAndAColourOneInColour) {
    auto grey = Open(GreyPicture());
    ASSERT_TRUE(grey->SaveJpeg(grey->SaveSelection(CCaptureRect(10, 10, 110, 60), false), "grey"));
    EXPECT_EQ(QImageReader(grey->m_jpegPath).imageFormat(), QImage::Format_Grayscale8);
    EXPECT_EQ(grey->m_attachName, "grey.jpg");
    auto colour = Open();
    ASSERT_TRUE(colour->SaveJpeg(colour->SaveSelection(CCaptureRect(10, 10, 110, 60), false), "colour"));
    EXPECT_NE(QImageReader(colour->m_jpegPath).imageFormat(), QImage::Format_Grayscale8);
    EXPECT_FALSE(QImage(colour->m_jpegPath).isGrayscale());

    // A temp folder that cannot be made: told, and no results.
    QDir(context.TempDir()).removeRecursively();
    QFile blocker(context.TempDir());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CPromptAnswer answer("x");
    auto failed = Open();
    EXPECT_FALSE(failed->SaveJpeg(ColourPicture(), "x"));
    EXPECT_TRUE(failed->m_jpegPath.isEmpty());
    EXPECT_TRUE(failed->m_attachName.isEmpty());
    ASSERT_EQ(answer.m_messages.size(), 1);
    EXPECT_TRUE(answer.m_messages[0].contains("could not be written")) << answer.m_messages[0].toStdString();
}

TEST_F(CaptureTest, TheTipShowsTheColourUnderTheCursorAndJumpsAway) {
    auto dlg = Open();
    CCaptureTipWnd* tip = dlg->Tip();
    Move(dlg.get(), QPoint(100, 300));
    EXPECT_TRUE(tip->toPlainText().contains(context.Text(ids::kMsgCaptureColour) + " RGB (200,0,0)"))
        << tip->toPlainText().toStdString();
    Move(dlg.get(), QPoint(250, 150));
    EXPECT_TRUE(tip->toPlainText().contains(" RGB (0,180,0)")) << tip->toPlainText().toStdString();
    EXPECT_FALSE(tip->toPlainText().contains("(200,0,0)"));
    Move(dlg.get(), QPoint(500, 150));
    EXPECT_TRUE(tip->toPlainText().contains(" RGB (0,0,200)")) << tip->toPlainText().toStdString();
    // Hints keep their line breaks.
    EXPECT_TRUE(tip->toPlainText().contains(Hint(ids::kMsgCaptureHintNone) + "\n"));

    // Over the tip: the first move leaves it where it is, the second sends
    // it to the right, the third back.
    EXPECT_EQ(tip->pos(), QPoint(10, 10));
    Move(dlg.get(), QPoint(20, 20));
    EXPECT_EQ(tip->pos(), QPoint(10, 10));
    Move(dlg.get(), QPoint(21, 21));
    EXPECT_EQ(tip->pos(), QPoint(kWidth - 180, 10));
    Move(dlg.get(), QPoint(kWidth - 170, 20));
    EXPECT_EQ(tip->pos(), QPoint(10, 10));

    Drag(dlg.get(), QPoint(150, 120), QPoint(420, 300));
    Move(dlg.get(), QPoint(250, 150));
    EXPECT_TRUE(SaveScreenshot(*tip, "capture-tip"));
    EXPECT_TRUE(SaveScreenshot(*dlg, "capture-dialog"));
}

TEST_F(CaptureTest, TheScreensAreFrozenWhenTheCaptureOpens) {
    const QImage screens = CScreenCaptureDlg::GrabScreens();
    ASSERT_FALSE(screens.isNull());
    QRect desktop;
    for (QScreen* screen : QGuiApplication::screens()) desktop = desktop.united(screen->geometry());
    EXPECT_EQ(screens.size(), desktop.size());
    CScreenCaptureDlg dlg(context);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.Frozen().size(), desktop.size());
    EXPECT_EQ(dlg.geometry(), desktop);
}

}  // namespace
