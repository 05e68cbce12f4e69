// The shell's files in the running configurator: "ТИРВ.cfg" carried from one run to the next,
// the setpoint and project commands with their dialogs, questions and refusals, the command-line
// file, and a setpoint file taken to a simulated relay and back.
#include "configurator/iocfg/io_page.h"
#include "configurator/link/connection_panel.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/shell/project_file.h"
#include "configurator/shell/setpoint_file.h"
#include "configurator/ui/ids.h"
#include "file_formats_support.h"
#include "gui_test_support.h"
#include "support/program_rig.h"
#include "support/sim_process.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace tirv {
namespace {

using test::WaitUntil;

constexpr int kField = 1006;  // "МТЗ-2 гр.B I", a numeric setpoint of every model
const QString kPortsFolder = QStringLiteral("ports");

std::vector<std::uint8_t> ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::GuiApp();
        // Two COM entries, so that a stored COM3 is one the machine has.
        ports = rig.folder.filePath(kPortsFolder);
        QDir().mkpath(ports);
        for (const char* name : {"COM1", "COM3"})
            std::filesystem::create_symlink("/dev/null", (ports + "/" + name).toStdString());
    }
    void start(int model, const QString& commandLine = {})
    {
        rig.build(ports, model, commandLine);
        win = rig.win.get();
        win->start();
    }
    // Ends the run as closing the window does (the settings file is written).
    void close()
    {
        rig.reset();
        win = nullptr;
    }
    SetpointEditor& editor() { return rig.pages->editor(); }
    QString field() { return editor().edit(kField)->text(); }
    void type(const QString& text)
    {
        editor().edit(kField)->setText(text);
        editor().leaveField(kField);
    }
    QString path(const char* name) const { return rig.folder.filePath(QString::fromUtf8(name)); }
    // Saves the setpoints (155) to `name` through the dialog.
    void saveAs(const char* name, int command = CmdSaveSetpoints)
    {
        rig.dialogs.paths.push_back(path(name));
        win->command(command);
    }
    void open(const QString& chosen, int command = CmdOpenSetpoints)
    {
        rig.dialogs.paths.push_back(chosen);
        win->command(command);
    }
    QStringList texts() const { return rig.rep.messageTexts(); }

    test::ProgramRig rig;
    QString ports;
    MainWindow* win = nullptr;
};

TEST_F(ProgramFilesTest, SettingsFileStartsTheProgramAndKeepsTheChangesOfTheRun)
{
    ProgramSettings s = DefaultProgramSettings(SettingsSource::Missing);
    s.connection.port = 3;
    s.connection.baudIndex = 4;  // 19200
    s.connection.address = 7;
    s.connection.channel = Channel::Rs485;
    s.modelIndex = ModelIndexForCode(706);
    s.setpoints = DefaultImage(706);
    s.reserved[5] = 0xDEADBEEF;
    s.calibration[2] = 123456;
    ASSERT_TRUE(SaveProgramSettings(rig.settingsPath().toStdString(), s));

    start(706);
    type("12.5");
    close();
    // Second run: what the first one showed and changed is back.
    start(706);
    EXPECT_EQ(win->model().code(), 706);
    auto& panel = rig.panel();
    EXPECT_EQ(panel.control<QComboBox>(CtlBaud)->currentText(), "19200");
    EXPECT_EQ(panel.control<QComboBox>(CtlPort)->currentText(), "COM3");
    EXPECT_EQ(panel.control<QLineEdit>(CtlAddress)->text(), "7");
    EXPECT_EQ(field(), "12.5");

    // Another speed, another value; at exit the file holds both and everything else it had.
    auto* baud = panel.control<QComboBox>(CtlBaud);
    const int item = baud->findText("9600");
    ASSERT_GE(item, 0);
    baud->setCurrentIndex(item);
    emit baud->activated(item);
    type("20");
    close();

    const auto bytes = ReadBytes(rig.settingsPath());
    ASSERT_EQ(bytes.size(), kSettingsBytes);
    EXPECT_TRUE(file_test::CrcWordMatches(bytes));
    const ProgramSettingsLoad back = ParseProgramSettings(bytes);
    ASSERT_EQ(back.source, SettingsSource::Loaded);
    EXPECT_EQ(back.settings.connection.baudIndex, 3);
    EXPECT_EQ(back.settings.connection.port, 3);
    EXPECT_EQ(back.settings.connection.address, 7);
    EXPECT_EQ(back.settings.modelCode(), 706);
    EXPECT_EQ(back.settings.reserved[5], 0xDEADBEEFu);
    EXPECT_EQ(back.settings.calibration[2], 123456u);
    // Exactly the typed setpoint differs from the defaults.
    const SetpointImage defaults = DefaultImage(706);
    int differing = 0;
    for (std::size_t k = 0; k < defaults.size(); ++k)
        differing += back.settings.setpoints[k] != defaults[k];
    EXPECT_EQ(differing, 1);
}

TEST_F(ProgramFilesTest, DamagedOrMissingSettingsGiveTheDefaultsAndAValidFileAtExit)
{
    ProgramSettings s = DefaultProgramSettings(SettingsSource::Missing);
    s.connection.address = 9;
    s.modelIndex = ModelIndexForCode(705);
    std::vector<std::uint8_t> bytes = BuildProgramSettings(s);
    for (int damage = 0; damage < 3; ++damage) {
        if (damage == 0)
            bytes.pop_back();  // 2047 bytes
        else if (damage == 1)
            bytes = BuildProgramSettings(s), bytes[4 * 57] ^= 1;  // one changed byte
        if (damage < 2)
            WriteBytes(rig.settingsPath(), bytes);
        else
            QFile::remove(rig.settingsPath());
        start(0);
        EXPECT_EQ(win->model().code(), 715) << damage;
        EXPECT_EQ(rig.settings().address, 1) << damage;
        EXPECT_TRUE(rig.rep.messages.empty()) << damage;
        // The fresh image is the model's defaults, not zeros.
        EXPECT_EQ(editor().edit(kField)->text(), "1.00") << damage;
        close();
        const auto written = ReadBytes(rig.settingsPath());
        EXPECT_EQ(written.size(), kSettingsBytes) << damage;
        EXPECT_TRUE(file_test::CrcWordMatches(written)) << damage;
        EXPECT_EQ(ParseProgramSettings(written).source, SettingsSource::Loaded) << damage;
    }
}

TEST_F(ProgramFilesTest, SavedSetpointsAreTheFileFormatAndOpenAgain)
{
    start(706);
    type("12.5");
    saveAs("a.tpr");
    ASSERT_EQ(rig.dialogs.fileRequests.size(), 1u);
    const FileRequest& asked = rig.dialogs.fileRequests.back();
    EXPECT_EQ(asked.title, QString::fromUtf8("Сохранить уставки в файле"));
    EXPECT_EQ(asked.filter, QString::fromUtf8("Файлы уставок(*.tpr)"));
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(rig.rep.lastStatus(), QString::fromUtf8("  Уставки проекта сохранены в файле"));

    const auto saved = ReadBytes(path("a.tpr"));
    ASSERT_EQ(saved.size(), 480u);
    EXPECT_TRUE(file_test::CrcWordMatches(saved));
    EXPECT_EQ(file_test::WordAt(saved, 0), 706u);

    type("30");
    open(path("a.tpr"));
    EXPECT_TRUE(rig.rep.messages.empty()) << texts().join('\n').toStdString();
    EXPECT_EQ(field(), "12.5");
    EXPECT_EQ(rig.rep.lastStatus(), QString::fromUtf8("  Значения уставок прочитаны из файла "));
    EXPECT_EQ(rig.dialogs.fileRequests.back().title, QString::fromUtf8("Открыть файл уставок"));

    // Save → open → save gives the same bytes.
    saveAs("b.tpr");
    EXPECT_EQ(ReadBytes(path("b.tpr")), saved);

    // A save that cannot write its temporary file reports the system's code and keeps the
    // previous file whole.
    QDir().mkpath(path("b.tpr.tmp"));
    type("30");
    saveAs("b.tpr");
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].caption, QString::fromUtf8("Ошибка чтения/записи"));
    EXPECT_TRUE(rig.rep.messages[0].text.startsWith(
        QString::fromUtf8("Невозможно открыть файл. Код ошибки ")));
    EXPECT_FALSE(rig.rep.messages[0].text.endsWith(" 0"));
    EXPECT_EQ(ReadBytes(path("b.tpr")), saved);
}

// A file the program refuses, or one the user declines, changes nothing on the screen.
TEST_F(ProgramFilesTest, RefusedOrDeclinedSetpointFilesChangeNothing)
{
    const auto fileOf = [](int code) {
        SetpointImage image = DefaultImage(code);
        image[6] = 125;  // "МТЗ-2 гр.B I" 12.5 on the 705-set
        return BuildSetpointFile(ProfileForModel(code), image);
    };
    struct Case {
        const char* label;
        int program;
        int fileModel;
        const char* name;
        Answer answer;
        const char* expected;  // the message shown; nullptr: loaded
    };
    const Case cases[] = {
        {"other model, OK", 706, 705, "f.tpr", Answer::Ok,
         "Уставки в файле являются уставками ТИРВ-705 и могут не соответствовать уставкам "
         "ТИРВ-706. Продолжить чтение?"},
        {"other model, Cancel", 706, 705, "f.tpr", Answer::Cancel,
         "Уставки в файле являются уставками ТИРВ-705 и могут не соответствовать уставкам "
         "ТИРВ-706. Продолжить чтение?"},
        {"306 file", 705, 306, "f.tpr", Answer::Ok,
         "Загрузка уставок из файла не может быть осуществлена для текущего типа устройства: "
         "уставки являются уставками ТИРВ-306."},
        {"non-M file, M program", 715, 705, "f.tpr", Answer::Ok,
         "Файл не соответствует формату файла уставок ТИРВ-715 или поврежден"},
        {"wrong extension", 705, 705, "f.txt", Answer::Ok,
         "Расширение выбранного файла не соответствует файлу уставок."},
        {"missing file", 705, 705, "missing.tpr", Answer::Ok,
         "Невозможно открыть файл. Код ошибки 2"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(rig.settingsPath().toStdString());
        start(c.program);
        const QString before = field();
        if (std::string(c.name) != "missing.tpr") {
            const auto bytes = fileOf(c.fileModel);
            WriteBytes(path(c.name), bytes);
        }
        rig.rep.answers = {c.answer};
        open(path(c.name));
        ASSERT_FALSE(rig.rep.messages.empty()) << c.label;
        EXPECT_EQ(rig.rep.messages.front().text, QString::fromUtf8(c.expected)) << c.label;
        EXPECT_EQ(rig.rep.messages.size(), 1u) << c.label;  // no second message after a refusal
        const bool loads = c.answer == Answer::Ok && std::string(c.label) == "other model, OK";
        EXPECT_EQ(field(), loads ? "12.5" : before) << c.label;
        close();
        rig.rep.messages.clear();
    }
}

TEST_F(ProgramFilesTest, ProjectOfTheOtherClassSwitchesTheModelOnlyWhenAgreedAndWhole)
{
    ProjectContent content{DefaultImage(715), DefaultIoImage(), DefaultLedImage()};
    const auto good = BuildProjectFile(ProfileForModel(715), content);
    WriteBytes(path("m.tirv"), good);
    // The same project with one LED word outside its rule (signal 95), resealed.
    auto badLed = good;
    const std::size_t ledFirst = 4 + 127 + kIoProjectWords;
    file_test::PutWord(badLed, ledFirst, 95);
    file_test::Reseal(badLed);
    WriteBytes(path("bad.tirv"), badLed);

    start(706);
    const QString question = QString::fromUtf8(
        "В файле содержатся настройки для устройства, не соответствующего выбранному в "
        "программе. Изменить тип устройства в программе?");
    rig.rep.answers = {Answer::Cancel};
    open(path("m.tirv"), CmdOpenProject);
    ASSERT_EQ(rig.rep.messages.size(), 1u);
    EXPECT_EQ(rig.rep.messages[0].text, question);
    EXPECT_EQ(win->model().code(), 706);

    rig.rep.messages.clear();
    open(path("bad.tirv"), CmdOpenProject);
    // The class question is asked (OK), then the LED part refuses the whole file.
    ASSERT_EQ(rig.rep.messages.size(), 2u);
    EXPECT_EQ(rig.rep.messages[0].text, question);
    EXPECT_EQ(rig.rep.messages[1].text,
              QString::fromUtf8("Чтение из файла будет прервано: обнаружены недопустимые "
                                "настройки светодиодов"));
    EXPECT_EQ(win->model().code(), 706);  // refused before anything was switched

    rig.rep.messages.clear();
    open(path("m.tirv"), CmdOpenProject);
    ASSERT_EQ(rig.rep.messages.size(), 1u) << texts().join('\n').toStdString();
    EXPECT_EQ(rig.rep.messages[0].text, question);
    EXPECT_EQ(win->model().code(), 715);
    EXPECT_EQ(field(), "1.00");  // the M tabs, with the file's values
    EXPECT_EQ(rig.dialogs.fileRequests.back().title, QString::fromUtf8("Открыть файл проекта"));

    // Saved again by the program: the same bytes.
    saveAs("again.tirv", CmdSaveProject);
    EXPECT_EQ(ReadBytes(path("again.tirv")), good);
    EXPECT_EQ(rig.rep.lastStatus(), QString::fromUtf8("  Проект сохранен в файле"));
}

TEST_F(ProgramFilesTest, NewSetpointsRefillTheDefaults)
{
    start(715);
    const QString fresh = field();
    type("12.5");
    win->command(CmdNewSetpoints);
    EXPECT_EQ(field(), fresh);
    type("12.5");
    win->command(CmdShowSetpoints);
    win->command(CmdNew);  // the toolbar's New on the setpoint page
    EXPECT_EQ(field(), fresh);
}

// "Создать проект" renews the setpoints, the I/O and the LED settings; the user stays on the
// project page he was on, and comes to the setpoints from any other page.
TEST_F(ProgramFilesTest, NewProjectRenewsEveryProjectPageAndShowsOneOfThem)
{
    start(715);
    const QString fresh = field();
    const auto ioField = [&] {
        return win->page(PageIoSettings)->control<QLineEdit>(CtlIoInputPickUp + 10);
    };
    const QString freshIo = ioField()->text();
    const auto edited = [&] {
        type("12.5");
        ioField()->setText(QStringLiteral("0.29"));
    };

    edited();
    win->command(CmdShowIoSettings);
    win->command(CmdNewProject);
    EXPECT_EQ(win->currentPage(), PageIoSettings);
    EXPECT_EQ(field(), fresh);
    EXPECT_EQ(ioField()->text(), freshIo);

    edited();
    win->command(CmdShowMeasurements);
    win->command(CmdNewProject);
    EXPECT_EQ(win->currentPage(), PageSetpoints);
    EXPECT_EQ(field(), fresh);
    EXPECT_EQ(ioField()->text(), freshIo);

    // The setpoints alone: the I/O page keeps its values, the setpoints are shown.
    edited();
    win->command(CmdShowLeds);
    win->command(CmdNewSetpoints);
    EXPECT_EQ(win->currentPage(), PageSetpoints);
    EXPECT_EQ(field(), fresh);
    EXPECT_EQ(ioField()->text(), QStringLiteral("0.29"));
}

TEST_F(ProgramFilesTest, CommandLineFileOpensWithoutTheDialogQuotedOrNot)
{
    SetpointImage image = DefaultImage(715);
    image[6] = 1250;  // 12.5 A on the M set (hundredths)
    const auto bytes = BuildSetpointFile(ProfileForModel(715), image);
    // A path with blanks, as a file manager passes it, and the quoted form.
    WriteBytes(path("из оболочки.tpr"), bytes);
    for (const QString& line :
         {path("из оболочки.tpr"), "\"" + path("из оболочки.tpr") + "\""}) {
        start(715, line);
        EXPECT_TRUE(rig.dialogs.fileRequests.empty()) << line.toStdString();
        EXPECT_EQ(win->currentPage(), PageSetpoints);
        EXPECT_EQ(field(), "12.50") << line.toStdString();
        close();
    }
}

// A setpoint file taken to a relay: read, save, edit, open the file again, write; the relay then
// holds exactly the file (read back and saved again, the bytes are the same).
TEST_F(ProgramFilesTest, SetpointFileRoundTripThroughTheRelay)
{
    test::SimProcess sim({"--model", "706", "--baud", "57600"});
    ASSERT_TRUE(sim.ready()) << sim.error();
    rig.build(QString::fromStdString(sim.portsDir()), 706);
    win = rig.win.get();
    win->start();
    const auto exchange = [&](int command) {
        win->command(command);
        WaitUntil([&] { return !win->state().busy; }, 20000);
        return rig.rep.lastStatus();
    };
    ASSERT_EQ(exchange(CmdReadSetpoints),
              QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    type("12.5");
    saveAs("relay.tpr");
    type("30");
    open(path("relay.tpr"));
    ASSERT_EQ(field(), "12.5");
    ASSERT_EQ(exchange(CmdWriteSetpoints),
              QString::fromUtf8("  Значения уставок записаны в устройство"));
    win->command(CmdNewSetpoints);
    ASSERT_EQ(exchange(CmdReadSetpoints),
              QString::fromUtf8("  Значения уставок прочитаны из устройства"));
    saveAs("back.tpr");
    EXPECT_EQ(ReadBytes(path("back.tpr")), ReadBytes(path("relay.tpr")));
    EXPECT_TRUE(rig.rep.messages.empty()) << texts().join('\n').toStdString();
}

}  // namespace
}  // namespace tirv
