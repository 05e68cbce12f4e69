// The calculator window driven by control id, offscreen: modes and sources, the fields taken from
// the setpoint image, computing with its messages, memory between openings, the link with the
// setpoint tabs and the pictures.
#include "configurator/setpoints/calculator_pictures.h"
#include "configurator/setpoints/calculator_window.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "fake_shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace tirv {
namespace {

class CalculatorWindowTest : public ::testing::Test {
protected:
    void open(int model)
    {
        shell.mdl.setCode(model);
        image = DefaultImage(model);
        calc = std::make_unique<Calculator>(shell, image, nullptr);
        calc->open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(calc->window()));
    }
    CalculatorWindow* w() { return calc->window(); }
    QLineEdit* input(int f) { return w()->control<QLineEdit>(CalcInputFirst + f); }
    QString result() { return w()->control<QLineEdit>(CalcResult)->text(); }
    void click(int id) { w()->control<QAbstractButton>(id)->click(); }
    void type(int f, const char* text)
    {
        input(f)->clear();
        QTest::keyClicks(input(f), QString::fromUtf8(text));
    }

    test::FakeShell shell;
    SetpointImage image{};
    std::unique_ptr<Calculator> calc;
};

TEST_F(CalculatorWindowTest, NormalInverseReferencePointByHand)
{
    open(705);
    click(CalcSourceFirst + 4);  // "другие"
    for (int f = 0; f < 3; ++f)
        EXPECT_TRUE(input(f)->isEnabled()) << f;
    type(0, "0.1");  // T
    type(1, "10");   // I
    type(2, "1");    // Iуст
    click(CalcResultButton);
    EXPECT_TRUE(shell.rec.messages.empty());
    EXPECT_TRUE(result().startsWith("0.297")) << result().toStdString();
    EXPECT_EQ(result().section('.', 1).size(), 6) << "shown with six decimals";
}

TEST_F(CalculatorWindowTest, ModesSetLabelsCaptionsAndTheFieldsTakenFromTheGroup)
{
    open(705);
    const struct {
        int mode;
        const char* labels[3];
        const char* button;
        bool enabled[3];  // with a group as the source
    } cases[] = {
        {0, {"T уст.(сек.)", "I (A)", "I уст.(A)"}, "t откл.(сек.) =", {false, true, false}},
        {1, {"t откл.(сек.)", "I (A)", "I уст.(A)"}, "T уст.(сек.) =", {true, true, false}},
        {2, {"I (A)", "T уст.(сек.)", "t откл.(сек.)"}, "I уст.(A) =", {true, false, true}},
        {3, {"I уст.(A)", "T уст.(сек.)", "t откл.(сек.)"}, "I (A) =", {false, false, true}},
    };
    for (const auto& c : cases) {
        click(CalcModeFirst + c.mode);
        for (int f = 0; f < 3; ++f) {
            EXPECT_EQ(w()->control<QLabel>(CalcLabelFirst + f)->text(), QString::fromUtf8(c.labels[f])) << c.mode;
            EXPECT_EQ(input(f)->isEnabled(), c.enabled[f]) << c.mode << " field " << f;
        }
        EXPECT_EQ(w()->control<QAbstractButton>(CalcResultButton)->text(), QString::fromUtf8(c.button));
    }
}

TEST_F(CalculatorWindowTest, GroupSetpointsShownWithTheModelsResolution)
{
    const struct {
        int model;
        int source;
        int currentRaw, timeRaw;
        const char* current;
        const char* time;
    } cases[] = {
        {705, 3, 123, 250, "12.3", "2.50"},   // МТЗ-3 группа В: raw / 10, one decimal
        {306, 3, 1234, 250, "12.34", "2.50"}, // hundredths on the 306
        {715, 0, 1234, 75, "12.34", "0.75"},  // and on M models
    };
    for (const auto& c : cases) {
        open(c.model);
        image[std::size_t(calcSourceCurrentIndex(CalcSource(c.source)))] = c.currentRaw;
        image[std::size_t(calcSourceTimeIndex(CalcSource(c.source)))] = c.timeRaw;
        click(CalcModeFirst + 0);
        click(CalcSourceFirst + c.source);
        EXPECT_EQ(input(2)->text(), c.current) << c.model;
        EXPECT_EQ(input(0)->text(), c.time) << c.model;
        calc.reset();
    }
}

struct Refusal {
    const char* what;
    int mode, source;
    const char* f0;
    const char* f1;
    const char* f2;
    const char* caption;
    const char* text;
    int focus;
};

TEST_F(CalculatorWindowTest, RefusalsNameTheFieldAndKeepNoResult)
{
    const Refusal cases[] = {
        {"I equal to Iуст", 0, 0, nullptr, "1.0", nullptr, "Ошибка ввода значений", "Значение I должно быть больше Iуст.", 1},
        {"I above 200", 0, 0, nullptr, "201", nullptr, "Ошибка ввода значений",
         "Значение I, которое способно измерять устройство ТИРВ, ограничено 200А.", 1},
        {"empty", 1, 0, "", "10", nullptr, "Отсутствие входных данных", "Введите значение!", 0},
        {"not a number", 1, 0, ".", "10", nullptr, "Ошибка ввода данных",
         "Значение должно быть представлено либо целым числом, либо в виде десятичной дроби", 0},
        {"trip time zero", 2, 0, "10", nullptr, "0", "Ошибка ввода значений", "Время отключения не может быть равным 0", 2},
        {"time setting zero", 0, 4, "0", "10", "1", "Ошибка ввода значений", "Время уставки не может быть равным 0", 0},
        {"Iуст not below I", 1, 4, "1", "10", "10", "Ошибка ввода значений", "Значение Iуст. должно быть меньше I", 2},
    };
    for (const auto& c : cases) {
        open(705);
        image[4] = 10;  // МТЗ-2 группа А: 1.0 A, 0.10 s
        image[5] = 10;
        click(CalcSourceFirst + c.source);
        click(CalcModeFirst + c.mode);
        const char* texts[3] = {c.f0, c.f1, c.f2};
        for (int f = 0; f < 3; ++f)
            if (texts[f])
                type(f, texts[f]);
        click(CalcResultButton);
        ASSERT_EQ(shell.rec.messages.size(), 1u) << c.what;
        EXPECT_EQ(shell.rec.messages[0].caption, QString::fromUtf8(c.caption)) << c.what;
        EXPECT_EQ(shell.rec.messages[0].text, QString::fromUtf8(c.text)) << c.what;
        EXPECT_EQ(shell.rec.messages[0].icon, MsgIcon::Warning) << c.what;
        EXPECT_TRUE(result().isEmpty()) << c.what;
        EXPECT_TRUE(input(c.focus)->hasFocus()) << c.what;
        shell.rec.messages.clear();
        calc.reset();
    }
}

TEST_F(CalculatorWindowTest, WarningsKeepTheResult)
{
    open(705);
    click(CalcSourceFirst + 4);
    w()->control<QComboBox>(CalcCurveList)->setCurrentIndex(2);  // extremely inverse
    type(0, "1");
    type(1, "1.1");  // (1.1² − 1) · … : about 381 s
    type(2, "1");
    click(CalcResultButton);
    ASSERT_EQ(shell.rec.messageTexts().size(), 1);
    EXPECT_TRUE(shell.rec.messages[0].text.startsWith("Выдержка времени зависимых"));
    EXPECT_EQ(shell.rec.messages[0].caption, "Предупреждение");
    EXPECT_GT(result().toDouble(), 100);

    // A computed time setting below the group's minimum (МТЗ-3 группа В: 0.05 s).
    shell.rec.messages.clear();
    image[10] = 10;  // 1.0 A
    click(CalcSourceFirst + 3);
    w()->control<QComboBox>(CalcCurveList)->setCurrentIndex(0);
    click(CalcModeFirst + 1);
    type(0, "0.01");
    type(1, "10");
    click(CalcResultButton);
    EXPECT_EQ(shell.rec.messageTexts(), QStringList{"Значение Tуст. для МТЗ-3 (группа В) не должно быть меньше 0.05 "});
    EXPECT_FALSE(result().isEmpty());
}

TEST_F(CalculatorWindowTest, StateOutlivesTheWindow)
{
    open(705);
    click(CalcModeFirst + 2);
    click(CalcSourceFirst + 4);
    w()->control<QComboBox>(CalcCurveList)->setCurrentIndex(1);
    type(0, "50");
    type(1, "0.2");
    type(2, "1");
    click(CalcResultButton);
    ASSERT_FALSE(result().isEmpty());
    w()->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(calc->window(), nullptr) << "closing destroys the window";

    calc->open();
    EXPECT_TRUE(w()->control<QAbstractButton>(CalcModeFirst + 2)->isChecked());
    EXPECT_TRUE(w()->control<QAbstractButton>(CalcSourceFirst + 4)->isChecked());
    EXPECT_EQ(w()->control<QComboBox>(CalcCurveList)->currentIndex(), 1);
    EXPECT_EQ(input(0)->text(), "50.0");
    EXPECT_EQ(input(1)->text(), "0.20");
}

TEST_F(CalculatorWindowTest, OpeningClearsTheStatusUnlessAnExchangeRuns)
{
    shell.st.busy = true;
    open(705);
    EXPECT_TRUE(shell.rec.statuses.isEmpty());
    calc.reset();
    shell.st.busy = false;
    open(705);
    EXPECT_EQ(shell.rec.statuses, QStringList{QString()});
    calc->open();  // shown again, not created again
    EXPECT_EQ(shell.rec.statuses.size(), 1);
}

TEST_F(CalculatorWindowTest, FieldValidatedOnTheTabReloadsTheChosenGroup)
{
    open(705);
    SetpointEditor editor(shell, image, nullptr);
    editor.setModel(705);
    editor.setStoredListener([this](int i) { calc->setpointStored(i); });
    click(CalcModeFirst + 0);
    click(CalcSourceFirst + 1);  // МТЗ-2 группа В: fields 1006, 1007
    type(1, "50");
    click(CalcResultButton);
    ASSERT_FALSE(result().isEmpty());

    editor.edit(1006)->setText("12.5");
    editor.leaveField(1006);
    EXPECT_EQ(input(2)->text(), "12.5");
    EXPECT_TRUE(result().isEmpty()) << "as if the source had been chosen again";

    click(CalcResultButton);
    ASSERT_FALSE(result().isEmpty());
    editor.edit(1004)->setText("7.5");  // another group: no reload
    editor.leaveField(1004);
    EXPECT_FALSE(result().isEmpty());
}

TEST_F(CalculatorWindowTest, TypingFilterAllowsTheFieldsDecimals)
{
    open(705);
    click(CalcSourceFirst + 4);
    click(CalcModeFirst + 0);
    type(0, "1,255");  // a time: two decimals
    EXPECT_EQ(input(0)->text(), "1.25");
    type(2, "1,25");  // a current on the 705: one decimal
    EXPECT_EQ(input(2)->text(), "1.2");
    type(1, "123456");
    EXPECT_EQ(input(1)->text(), "12345");
}

TEST(CalculatorPictures, EachModeAndCurveHasItsOwnPicture)
{
    std::vector<QImage> formulas, coefficients;
    for (int m = 0; m < 4; ++m) {
        formulas.push_back(FormulaPicture(m));
        EXPECT_EQ(formulas.back().size(), QSize(kFormulaWidth, kFormulaHeight));
        EXPECT_EQ(formulas.back().format(), QImage::Format_Mono);
    }
    for (int c = 0; c < 3; ++c)
        coefficients.push_back(CoefficientsPicture(c));
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_NE(formulas[std::size_t(a)], formulas[std::size_t(b)]) << a << " " << b;
    EXPECT_NE(coefficients[0], coefficients[1]);
    EXPECT_NE(coefficients[1], coefficients[2]);
    // Something is drawn: not every pixel is white.
    const QImage rgb = formulas[0].convertToFormat(QImage::Format_RGB32);
    int black = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            black += rgb.pixelColor(x, y) == Qt::black;
    EXPECT_GT(black, 500);
}

TEST_F(CalculatorWindowTest, RendersForTheIssueNote)
{
    open(705);
    QApplication::processEvents();
    const QImage img = w()->grab().toImage();
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(w()->windowTitle(), "Расчет параметров МТЗ-2 / МТЗ-3");
    if (const char* dir = std::getenv("TIRV_SCREENSHOT_DIR"))
        img.save(QString("%1/calculator.png").arg(dir));
}

}  // namespace
}  // namespace tirv
