// The viewer as a user meets it, through the program's own paths: the file named on the command
// line (quoted or not, missing), the date and time in the title line, help without a browser, and
// the printed page (one page, the preview's orientation and colours, proportions kept, centred).
#include "gui/gui_texts.h"
#include "viewer/print_export.h"
#include "viewer/viewer_paths.h"
#include "viewer/viewer_window.h"
#include "viewer/window_texts.h"
#include "pdf_page_reader.h"
#include "support/recording_reporter.h"
#include "viewer_test_support.h"
#include "support/texts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <memory>

namespace tirv {
namespace {

using test::U;

namespace tx = viewer_texts;
using namespace viewer;

class ViewerAsUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::GuiApp();
        ASSERT_TRUE(dir.isValid());
    }

    // The window as RunViewerWindow makes it from the program's arguments.
    std::unique_ptr<ViewerWindow> start(const QStringList& arguments)
    {
        ViewerWindowOptions o = ViewerOptionsFromArguments(arguments, dir.path());
        o.screenWidth = 1920;
        auto w = std::make_unique<ViewerWindow>(reporter, o);
        w->resize(1200, 800);
        w->show();
        w->chooseColour = [this](QColor& c) {
            c = nextColour;
            return true;
        };
        QCoreApplication::processEvents();  // the posted start-up load
        return w;
    }

    QString write(const QString& name)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(test::WriteFile(path, test::FaultRecording().build()));
        return path;
    }

    QTemporaryDir dir;
    test::RecordingReporter reporter;
    QColor nextColour = QColor(255, 0, 0);
};

TEST_F(ViewerAsUserTest, TheNamedFileOpensQuotedOrNot)
{
    write(U(tx::kDefaultFile));
    const QString other = write(QStringLiteral("other.tao"));
    const QString spaced = write(QStringLiteral("with blank.tao"));
    const struct { const char* what; QStringList args; QString shown; } cases[] = {
        {"quotes kept, as the README shows", {'"' + other + '"'}, other},
        {"quotes taken off by the shell", {other}, other},
        {"a path with a blank split by the shell", spaced.split(' '), spaced},
        {"a quoted path with a blank", {'"' + spaced + '"'}, spaced},
        {"no argument: the default file", {}, dir.filePath(U(tx::kDefaultFile))},
        {"not a .tao file: the default file", {dir.filePath(QStringLiteral("x.cfg"))},
         dir.filePath(U(tx::kDefaultFile))},
    };
    for (const auto& c : cases) {
        reporter.messages.clear();
        auto w = start(c.args);
        EXPECT_TRUE(w->shown()) << c.what;
        EXPECT_EQ(w->windowTitle(), U(tx::kTitleWithFile) + c.shown) << c.what;
        EXPECT_TRUE(reporter.messages.empty()) << c.what;
    }
}

TEST_F(ViewerAsUserTest, AMissingNamedFileGetsTheStartUpTexts)
{
    auto w = start({dir.filePath(QStringLiteral("gone.tao"))});
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, U(tx::kCaptionWarning));
    EXPECT_EQ(reporter.messages[0].text, U(tx::kDefaultFileMissing));
    EXPECT_EQ(reporter.messages[0].icon, MsgIcon::Warning);
    EXPECT_FALSE(reporter.messages[0].text.contains(QStringLiteral("Код ошибки")));
    EXPECT_EQ(w->windowTitle(), U(tx::kTitle));
    EXPECT_FALSE(w->shown());
}

// Columns of the title line whose ink lies only in its lowest rows: the dots of the date and
// the time. A title cut at its baseline loses them.
int BaselineDots(const QImage& img, int plotTop)
{
    const QColor clear = QColor(img.pixel(0, 0));
    const auto ink = [&](int x, int y) { return std::abs(QColor(img.pixel(x, y)).lightness() - clear.lightness()) > 80; };
    int lowest = -1;
    for (int y = 0; y < plotTop; ++y)
        for (int x = 0; x < img.width() && lowest < y; ++x)
            if (ink(x, y))
                lowest = y;
    if (lowest < 0)
        return 0;
    int dots = 0;
    bool inDot = false;
    for (int x = 0; x < img.width(); ++x) {
        int top = -1;
        for (int y = 0; y <= lowest && top < 0; ++y)
            if (ink(x, y))
                top = y;
        const bool dotColumn = top >= 0 && top >= lowest - 4;
        dots += dotColumn && !inDot;
        inDot = dotColumn;
    }
    return dots;
}

TEST_F(ViewerAsUserTest, TheTitleLineKeepsTheDotsOfDateAndTime)
{
    write(U(tx::kDefaultFile));
    auto w = start({});
    ASSERT_TRUE(w->shown());
    const int plotTop = kTitleLine;  // the plot's black starts below the title line
    // "05.03.14   08:07:06.05": two dots in the date, one in the time.
    const struct { const char* what; QImage img; } pictures[] = {
        {"exported image", w->capture()},
        {"screen", w->plot()->grab().toImage()},
    };
    for (const auto& p : pictures) {
        ASSERT_FALSE(p.img.isNull()) << p.what;
        EXPECT_GE(BaselineDots(p.img.convertToFormat(QImage::Format_RGB32), plotTop), 3) << p.what;
    }
}

TEST_F(ViewerAsUserTest, HelpWithoutABrowserNamesTheHelpFile)
{
    auto w = start({});
    const QString help = dir.filePath(U(tx::kHelpFile));
    ASSERT_TRUE(test::WriteFile(help, {'<', 'p', '>'}));
    // No launcher anywhere: the program's own help viewer cannot start a browser.
    QTemporaryDir emptyBin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", emptyBin.path().toLocal8Bit());
    for (const char* v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        qunsetenv(v);
    reporter.messages.clear();
    w->command(CmdHelp);
    qputenv("PATH", path);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, U(tx::kCaptionError));
    EXPECT_EQ(reporter.messages[0].text, U(gui_texts::kHelpNotStarted).arg(QDir::toNativeSeparators(help)));
}

// ---- the printed page ----------------------------------------------------------------------

struct PrintedPage {
    test::PdfReadBack pdf;
    QRectF printable;  // points, bottom-left origin like the PDF
};

class ViewerPrintTest : public ViewerAsUserTest {
protected:
    PrintedPage print(ViewerWindow& w)
    {
        const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
        QFile::remove(pdf);
        w.choosePrinter = [&](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            p.setPageSize(QPageSize(QPageSize::A4));
            p.setPageMargins(QMarginsF(10, 15, 10, 15), QPageLayout::Millimeter);
            return true;
        };
        w.command(CmdPrint);
        PrintedPage page;
        page.pdf = test::ReadPdf(pdf);
        const double mm = 72.0 / 25.4;
        page.printable = page.pdf.mediaBox.adjusted(10 * mm, 15 * mm, -10 * mm, -15 * mm);
        return page;
    }
};

// Counts the picture's pixels by print colour.
struct Inks {
    int white = 0, black = 0, grey = 0, red = 0, other = 0;
};
Inks CountInks(const QImage& img)
{
    Inks n;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c(img.pixel(x, y));
            const auto near = [&](int r, int g, int b) {
                return std::abs(c.red() - r) < 24 && std::abs(c.green() - g) < 24 && std::abs(c.blue() - b) < 24;
            };
            if (near(255, 255, 255))
                ++n.white;
            else if (near(0, 0, 0))
                ++n.black;
            else if (near(127, 127, 127))
                ++n.grey;
            else if (near(255, 0, 0))
                ++n.red;
            else
                ++n.other;
        }
    return n;
}

TEST_F(ViewerPrintTest, OnePageInThePreviewsOrientationProportionsKeptAndCentred)
{
    write(U(tx::kDefaultFile));
    auto w = start({});
    const QSize surface = w->plot()->surfaceSize();
    w->command(CmdPreview);
    const struct { const char* what; bool landscape; } cases[] = {{"portrait", false}, {"landscape", true}};
    for (const auto& c : cases) {
        static_cast<QRadioButton*>(w->control(c.landscape ? CtlLandscape : CtlPortrait))->setChecked(true);
        const PrintedPage page = print(*w);
        EXPECT_EQ(page.pdf.pages, 1) << c.what;
        EXPECT_EQ(page.pdf.mediaBox.width() > page.pdf.mediaBox.height(), c.landscape) << c.what;
        ASSERT_EQ(page.pdf.images.size(), 1u) << c.what;
        const QRectF placed = page.pdf.images[0].placed;
        // The picture's own proportions, as large as the printable area allows.
        EXPECT_NEAR(placed.width() / placed.height(), double(surface.width()) / surface.height(), 0.01) << c.what;
        const bool fillsWidth = std::abs(placed.width() - page.printable.width()) < 1.0;
        const bool fillsHeight = std::abs(placed.height() - page.printable.height()) < 1.0;
        EXPECT_TRUE(fillsWidth || fillsHeight) << c.what;
        EXPECT_LE(placed.width(), page.printable.width() + 1.0) << c.what;
        EXPECT_LE(placed.height(), page.printable.height() + 1.0) << c.what;
        EXPECT_NEAR(placed.center().x(), page.printable.center().x(), 1.0) << c.what;
        EXPECT_NEAR(placed.center().y(), page.printable.center().y(), 1.0) << c.what;
    }
}

TEST_F(ViewerPrintTest, ThePrintedPictureHasThePrintColoursThePreviewShows)
{
    write(U(tx::kDefaultFile));
    auto w = start({});
    // Without the preview ever opened: print style, white paper, black curves and text, grey grid.
    PrintedPage page = print(*w);
    ASSERT_EQ(page.pdf.images.size(), 1u);
    const QImage plain = page.pdf.images[0].pixels;
    EXPECT_EQ(plain.size(), w->plot()->surfaceSize());
    Inks n = CountInks(plain);
    const int all = plain.width() * plain.height();
    EXPECT_GT(n.white, all / 2);
    EXPECT_GT(n.black, all / 50);
    EXPECT_GT(n.grey, 0);
    EXPECT_EQ(n.red, 0);
    EXPECT_LT(n.other, all / 50);  // antialiased text only
    // Ia in red in the preview: the printed page has it too.
    w->command(CmdPreview);
    static_cast<QPushButton*>(w->control(CtlPrintSwatch + 0))->click();
    page = print(*w);
    ASSERT_EQ(page.pdf.images.size(), 1u);
    const QImage coloured = page.pdf.images[0].pixels;
    EXPECT_EQ(coloured.convertToFormat(QImage::Format_RGB32),
              w->previewDialog()->previewPicture().convertToFormat(QImage::Format_RGB32));
    n = CountInks(coloured);
    EXPECT_GT(n.red, all / 200);
}

}  // namespace
}  // namespace tirv
