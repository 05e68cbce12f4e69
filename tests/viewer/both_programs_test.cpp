// What both programs share as a user sees it: Qt's dialogs in Russian, the About boxes' build
// date and contents, help when no browser can be started, and spin buttons joined to their
// fields with arrows (in the program's own composition).
#include "configurator/link/connection_panel.h"
#include "configurator/shell/main_window.h"
#include "configurator/ui/ids.h"
#include "gui/app_setup.h"
#include "gui/build_date.h"
#include "gui/gui_texts.h"
#include "support/gui_app.h"
#include "support/program_rig.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace tirv {
namespace {

TEST(BuildDate, CompilerDateBecomesDayMonthYear)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"Dec  7 2026", "07.12.2026"}, {"Jan 31 2027", "31.01.2027"}, {"Sep 10 2026", "10.09.2026"},
        // Anything that is not the compiler's form is shown as it is.
        {"Foo  7 2026", "Foo  7 2026"}, {"Dec 7 2026", "Dec 7 2026"}, {"Dec  x 2026", "Dec  x 2026"}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildDate(c.in), c.out) << c.in;
}

TEST(QtDialogs, SpeakRussianAfterStartUp)
{
    QApplication& app = test::GuiApp();
    PrepareApplication(app);  // what both programs' main() does before the window
    QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
    EXPECT_EQ(box.button(QDialogButtonBox::Open)->text(), QString::fromUtf8("Открыть"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QString::fromUtf8("Перейти к:"));
}

class ConfiguratorWindowTest : public ::testing::Test {
protected:
    void make()
    {
        test::GuiApp();
        MainWindow::Options o;
        o.reporterTap = &rep;
        o.programFolder = dir.path();
        win = std::make_unique<MainWindow>(o);
        win->start();
    }
    QTemporaryDir dir;
    test::RecordingReporter rep;
    std::unique_ptr<MainWindow> win;
};

TEST_F(ConfiguratorWindowTest, AboutShowsTheBuildDateAsDayMonthYearAndNoPlaceholderAddress)
{
    make();
    win->command(CmdAbout);
    QWidget* about = win->aboutWindow();
    ASSERT_NE(about, nullptr);
    auto* version = about->findChild<QLabel*>(QStringLiteral("version"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().contains(QString::fromStdString(BuildDate(__DATE__)))) << version->text().toStdString();
    EXPECT_FALSE(version->text().contains(QString::fromLatin1(__DATE__).left(3)));  // no month name
    for (const QLabel* label : about->findChildren<QLabel*>()) {
        EXPECT_FALSE(label->text().contains(QStringLiteral(".example"))) << label->text().toStdString();
        EXPECT_FALSE(label->text().contains(QStringLiteral("mailto:"))) << label->text().toStdString();
    }
}

TEST_F(ConfiguratorWindowTest, HelpWithoutABrowserNamesTheHelpFile)
{
    make();
    const QString help = QDir(dir.path()).filePath(QString::fromUtf8("ТИРВ.html"));
    QFile f(help);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
    f.close();
    // No launcher anywhere: the system browser cannot be started.
    QTemporaryDir emptyBin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", emptyBin.path().toLocal8Bit());
    for (const char* v : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        qunsetenv(v);
    win->command(CmdHelp);
    qputenv("PATH", path);
    ASSERT_EQ(rep.messages.size(), 1u);
    EXPECT_EQ(rep.messages[0].caption, QString::fromUtf8("Ошибка"));
    EXPECT_EQ(rep.messages[0].text, QString::fromUtf8(gui_texts::kHelpNotStarted).arg(QDir::toNativeSeparators(help)));
    EXPECT_EQ(rep.messages[0].icon, MsgIcon::Warning);
}

// Per row of `area`, how many pixels are dark: an up arrow widens downwards, a down arrow
// narrows; a dash or nothing has no slope.
int ArrowSlope(const QImage& img, QRect area)
{
    std::vector<int> widths;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int n = 0;
        for (int x = area.left(); x <= area.right(); ++x)
            n += QColor(img.pixel(x, y)).lightness() < 170;  // the arrow against the button face
        if (n > 0)
            widths.push_back(n);
    }
    if (widths.size() < 3)
        return 0;
    return widths.back() > widths.front() ? 1 : widths.back() < widths.front() ? -1 : 0;
}

TEST(SpinButtons, SitInsideTheirFieldsWithUpAndDownArrowsAndStepTheValue)
{
    PrepareApplication(test::GuiApp());
    test::ProgramRig rig;
    QTemporaryDir ports;
    rig.build(ports.path(), 715);
    rig.win->start();
    rig.win->resize(760, 620);
    rig.win->show();
    rig.win->command(CmdShowSetpoints);
    QCoreApplication::processEvents();
    const auto find = [&](int id) { return rig.win->findChild<QWidget*>(QString::number(id)); };
    const struct { const char* what; int page; int field; int spin; } cases[] = {
        {"setpoint МТЗ-1 гр.А I", CmdShowSetpoints, 1004, 1104},
        {"link repeat count", CmdShowLinkSettings, CtlRepeats, CtlRepeatsSpin},
    };
    for (const auto& c : cases) {
        rig.win->command(c.page);
        QCoreApplication::processEvents();
        auto* field = qobject_cast<QLineEdit*>(find(c.field));
        QWidget* spin = find(c.spin);
        ASSERT_NE(field, nullptr) << c.what;
        ASSERT_NE(spin, nullptr) << c.what;
        ASSERT_TRUE(spin->isVisible()) << c.what;
        // One control: the buttons stand inside the field at its right edge, its full height.
        EXPECT_EQ(spin->parentWidget(), field) << c.what;
        EXPECT_LE(std::abs(spin->geometry().right() - field->rect().right()), 2) << c.what;
        EXPECT_GE(spin->height(), field->height() - 2) << c.what;
        EXPECT_GE(spin->width(), 15) << c.what;
        EXPECT_GE(field->textMargins().right(), spin->width()) << c.what;
        // Drawn as an up arrow over a down arrow.
        const QImage img = spin->grab().toImage();
        const int half = img.height() / 2;
        // Inside each button, clear of its bevel.
        EXPECT_EQ(ArrowSlope(img, QRect(0, 0, img.width(), half).adjusted(3, 2, -3, -2)), 1) << c.what;
        EXPECT_EQ(ArrowSlope(img, QRect(0, half, img.width(), img.height() - half).adjusted(3, 2, -3, -2)), -1)
            << c.what;
        // The upper half steps up, the lower half down.
        field->setFocus();
        const double before = field->text().toDouble();
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() / 4));
        const double up = field->text().toDouble();
        EXPECT_GT(up, before) << c.what;
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() * 3 / 4));
        EXPECT_LT(field->text().toDouble(), up) << c.what;
    }
}

}  // namespace
}  // namespace tirv
