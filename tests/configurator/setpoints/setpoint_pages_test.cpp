// The setpoint tabs driven by control id, offscreen: typing, leaving fields with their messages,
// spins, the recording-time channels, tab switching, filling and gathering, model changes.
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_pages.h"
#include "configurator/setpoints/setpoint_tab_strip.h"
#include "fake_shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace tirv {
namespace {

const char* kCaption = "Ошибка ввода уставки";

class SetpointPagesTest : public ::testing::Test {
protected:
    void open(int modelCode)
    {
        shell.mdl.setCode(modelCode);
        image = DefaultImage(modelCode);
        editor = std::make_unique<SetpointEditor>(shell, image, &host);
        editor->setModel(modelCode);
        host.resize(900, 600);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }
    QLineEdit* field(int id) { return editor->edit(id); }
    // Types into a field as a user would, then moves the focus to another field.
    void typeAndLeave(int id, const char* text, int next)
    {
        QLineEdit* e = field(id);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, QString::fromUtf8(text));
        field(next)->setFocus();
    }
    int index(const char* name) const { return editor->profile().find(name); }
    QStringList messages() const { return shell.rec.messageTexts(); }

    test::FakeShell shell;
    SetpointImage image{};
    QWidget host;
    std::unique_ptr<SetpointEditor> editor;
};

TEST_F(SetpointPagesTest, TypedCommaBecomesPointAndTheExactValueIsStored)
{
    open(705);
    typeAndLeave(1004, "1,5", 1005);
    EXPECT_EQ(field(1004)->text(), "1.5");
    EXPECT_EQ(image[std::size_t(index("МТЗ-2 гр.А I"))], 15);

    typeAndLeave(1005, "0.055", 1004);
    EXPECT_EQ(field(1005)->text(), "0.06");
    EXPECT_EQ(image[std::size_t(index("МТЗ-2 гр.А T"))], 6) << "the image holds what the field shows";

    typeAndLeave(1005, "0.29", 1004);
    EXPECT_EQ(image[std::size_t(index("МТЗ-2 гр.А T"))], 29);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SetpointPagesTest, AnglesRoundToFifteenAndTheFilterDropsAPoint)
{
    open(705);
    const struct {
        const char* typed;
        const char* shown;
        int raw;
    } cases[] = {{"-37", "-30", -30}, {"-38", "-45", -45}, {"52", "45", 45}, {"53", "60", 60}};
    for (const auto& c : cases) {
        typeAndLeave(1019, c.typed, 1020);
        EXPECT_EQ(field(1019)->text(), c.shown) << c.typed;
        EXPECT_EQ(image[std::size_t(index("МТЗ-общие Угол макс.чувств."))], c.raw) << c.typed;
    }
    field(1019)->setFocus();
    QTest::keyClicks(field(1019), "4.");
    EXPECT_EQ(field(1019)->text(), "604") << "the point is removed as it is typed";
}

TEST_F(SetpointPagesTest, CharacterLimitHoldsTyping)
{
    open(705);
    QLineEdit* e = field(1014);  // two characters
    e->setFocus();
    e->clear();
    QTest::keyClicks(e, "123");
    EXPECT_EQ(e->text(), "12");
}

struct Rejection {
    const char* what;
    int edit;
    const char* typed;
    const char* message;
};

TEST_F(SetpointPagesTest, LeavingABadFieldKeepsTheFocusWithItsMessage)
{
    open(705);
    const Rejection cases[] = {
        {"empty", 1004, "", "Введите значение!"},
        {"below the minimum", 1004, "0.5", "Уставка не может быть меньше минимально допустимого значения"},
        {"above the maximum", 1005, "25", "Уставка не может быть больше максимально допустимого значения"},
        {"integer at its raw maximum is accepted", 1014, "99", nullptr},
        {"integer below its raw minimum", 1018, "0", "Уставка не может быть меньше минимально допустимого значения"},
    };
    for (const auto& c : cases) {
        shell.rec.messages.clear();
        const int before = image[std::size_t(NumericIndexOfEdit(editor->profile(), c.edit))];
        typeAndLeave(c.edit, c.typed, c.edit == 1004 ? 1005 : 1004);
        if (!c.message) {
            EXPECT_TRUE(messages().isEmpty()) << c.what;
            continue;
        }
        ASSERT_EQ(shell.rec.messages.size(), 1u) << c.what;
        EXPECT_EQ(shell.rec.messages[0].text, QString::fromUtf8(c.message)) << c.what;
        EXPECT_EQ(shell.rec.messages[0].caption, QString::fromUtf8(kCaption)) << c.what;
        EXPECT_EQ(shell.rec.messages[0].icon, MsgIcon::Error) << c.what;
        EXPECT_EQ(QApplication::focusWidget(), field(c.edit)) << c.what;
        EXPECT_EQ(image[std::size_t(NumericIndexOfEdit(editor->profile(), c.edit))], before)
            << c.what << ": the image keeps the last valid value";
        // Mend it so that the next case starts clean.
        typeAndLeave(c.edit, "5", c.edit == 1004 ? 1005 : 1004);
        EXPECT_FALSE(editor->validationFailed()) << c.what;
    }
}

TEST_F(SetpointPagesTest, SuppressedMessageStillKeepsTheFocus)
{
    open(705);
    shell.st.skipFieldMessage = true;  // the title bar was used
    typeAndLeave(1004, "", 1005);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), field(1004));
    EXPECT_TRUE(editor->validationFailed());
    field(1005)->setFocus();  // only once: the next rejection is told again
    EXPECT_EQ(messages(), QStringList{"Введите значение!"});
}

TEST_F(SetpointPagesTest, MinimizedWindowChecksNothing)
{
    open(705);
    shell.st.minimized = true;
    typeAndLeave(1004, "", 1005);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_FALSE(editor->validationFailed());
}

TEST_F(SetpointPagesTest, RejectedFieldTakesTheFocusBackFromTheWindowSystem)
{
    open(705);
    typeAndLeave(1004, "", 1005);
    ASSERT_TRUE(editor->validationFailed());
    // Reactivation hands the focus to another field without the rejected one being left.
    field(1005)->setFocus(Qt::ActiveWindowFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), field(1004));
    EXPECT_EQ(messages(), QStringList{"Введите значение!"}) << "leaving through the window system asks nothing more";

    editor->fillFromImage();  // a read or a file replaces the rejected text
    EXPECT_FALSE(editor->validationFailed());
}

TEST_F(SetpointPagesTest, RestoredWindowReturnsTheFocusAndDropsOneMessage)
{
    open(705);
    field(1012)->setFocus();
    shell.st.minimized = true;
    field(1012)->clear();
    field(1013)->setFocus();
    shell.st.minimized = false;
    shell.st.skipFieldMessage = true;  // as the window sets it on the way back
    editor->windowRestored();
    EXPECT_EQ(QApplication::focusWidget(), field(1012));
    field(1013)->setFocus();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), field(1012));
    field(1013)->setFocus();
    EXPECT_EQ(messages(), QStringList{"Введите значение!"});
}

TEST_F(SetpointPagesTest, EnterKeyMovesOnTogglesAndSwitches)
{
    open(705);
    QLineEdit* e = field(1004);
    e->setFocus();
    e->clear();
    QTest::keyClicks(e, "2,5");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), e);
    EXPECT_EQ(image[4], 25) << "moving on checked and stored the field";

    auto* box = editor->tab(0)->control<QCheckBox>(1200);
    const bool was = box->isChecked();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_NE(box->isChecked(), was);
    EXPECT_EQ(image[std::size_t(index("МТЗ-1 Вкл."))], was ? 0 : 1);

    auto* button = editor->tab(0)->control<QAbstractButton>(TabButtonId(0, 3));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(editor->currentTab(), 3);
}

TEST_F(SetpointPagesTest, EmptyFieldBlocksTabSwitching)
{
    open(705);
    QLineEdit* e = field(1004);
    e->setFocus();
    e->clear();
    auto* strip0 = editor->tab(0)->control<QAbstractButton>(TabButtonId(0, 2));
    ASSERT_NE(strip0, nullptr);
    strip0->click();
    EXPECT_EQ(messages(), QStringList{"Введите значение!"});
    EXPECT_EQ(editor->currentTab(), 0);
    EXPECT_TRUE(editor->tab(0)->isVisible());
    EXPECT_FALSE(editor->tab(2)->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), e);

    QTest::keyClicks(e, "3");
    strip0->click();
    EXPECT_EQ(editor->currentTab(), 2);
    EXPECT_TRUE(editor->tab(2)->isVisible());
    EXPECT_FALSE(editor->tab(0)->isVisible());
    EXPECT_EQ(image[4], 30);
}

TEST_F(SetpointPagesTest, SpinStepsAndStopsAtTheBounds)
{
    open(705);
    auto* sb = editor->tab(0)->control<QScrollBar>(1005 + 100);
    ASSERT_NE(sb, nullptr);
    field(1005)->setText("19.99");
    sb->triggerAction(QAbstractSlider::SliderSingleStepSub);  // the up arrow
    EXPECT_EQ(field(1005)->text(), "20.00");
    EXPECT_EQ(image[5], 2000);
    sb->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(field(1005)->text(), "20.00") << "at the maximum nothing moves";
    EXPECT_EQ(QApplication::focusWidget(), field(1005));
    sb->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // the down arrow
    EXPECT_EQ(field(1005)->text(), "19.99");
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(SetpointPagesTest, RecordingChannelsBoundThePreFaultTime)
{
    open(705);
    const int pre = index("Tпредыст.");
    image[std::size_t(pre)] = 1000;
    editor->fillFromImage();  // six channels: at most 2.00 s
    EXPECT_EQ(image[std::size_t(pre)], 200);
    EXPECT_EQ(field(1057)->text(), "2.00");
    EXPECT_EQ(field(1058)->text(), "2.00");

    for (int id = 1251; id <= 1256; ++id) {
        auto* box = editor->tab(4)->control<QCheckBox>(id);
        ASSERT_NE(box, nullptr) << id;
        box->click();
    }
    EXPECT_EQ(image[std::size_t(pre)], 0);
    EXPECT_EQ(field(1057)->text(), "0.00");
    EXPECT_FALSE(field(1057)->isEnabled());
    EXPECT_EQ(field(1058)->text(), "0.00");
    EXPECT_FALSE(editor->tab(4)->control(1257)->isEnabled()) << "3Io is never recorded";

    editor->tab(4)->control<QCheckBox>(1251)->click();
    editor->tab(4)->control<QCheckBox>(1254)->click();
    EXPECT_EQ(field(1058)->text(), "6.00");
    EXPECT_TRUE(field(1057)->isEnabled());
    editor->showTab(4);
    typeAndLeave(1057, "6.5", 1054);
    EXPECT_EQ(messages(), QStringList{"Уставка не может быть больше максимально допустимого значения"});
}

TEST_F(SetpointPagesTest, BoxesAndListsStoreAtOnce)
{
    open(715);
    auto* box = editor->tab(0)->control<QCheckBox>(1205);
    box->click();
    EXPECT_EQ(image[std::size_t(index("МТЗ-2 Вкл."))], box->isChecked() ? 1 : 0);
    auto* list = editor->tab(4)->control<QComboBox>(1277);
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(15);
    EXPECT_EQ(image[std::size_t(index("Общие Кнопка F1"))], 15);
}

TEST_F(SetpointPagesTest, FillShowsEveryValueOfEveryModel)
{
    for (int code : {705, 306, 715}) {
        open(code);
        SetpointImage img = DefaultImage(code);
        const ModelProfile& p = editor->profile();
        // Maximum values everywhere (within the recording-time rule) to tell fields apart.
        for (int i = 0; i < p.numericCount(); ++i)
            img[std::size_t(i)] = RawMaxFor(p, img, i);
        image = img;
        editor->fillFromImage();
        for (int i = 0; i < p.numericCount(); ++i) {
            const NumericSetpoint& n = p.numeric[std::size_t(i)];
            ASSERT_NE(field(n.control), nullptr) << code << " " << n.name;
            EXPECT_EQ(field(n.control)->text().toStdU16String(), formatRaw(img[std::size_t(i)], n.kind))
                << code << " " << n.name;
        }
        for (int k = 0; k < p.flagCount(); ++k)
            EXPECT_EQ(qobject_cast<QCheckBox*>(editor->tab(p.flags[std::size_t(k)].tab)
                                                   ->control(p.flags[std::size_t(k)].control))
                          ->isChecked(),
                      img[std::size_t(p.flagIndex(k))] != 0)
                << code << " " << p.flags[std::size_t(k)].name;
        // What is shown gathers back into the same image.
        SetpointImage before = image;
        ASSERT_TRUE(editor->gatherIntoImage()) << code;
        EXPECT_EQ(image, before) << code;
        editor.reset();
    }
}

TEST_F(SetpointPagesTest, GatheringStopsAtTheFirstBadFieldOnItsTab)
{
    open(705);
    field(1043)->setText("");  // ЗМН Uзмн, tab 2
    field(1053)->setText("99999");
    const SetpointImage before = image;
    EXPECT_FALSE(editor->gatherIntoImage());
    EXPECT_EQ(editor->currentTab(), 2);
    EXPECT_EQ(messages(), QStringList{"Введите значение!"});
    EXPECT_EQ(QApplication::focusWidget(), field(1043));
    EXPECT_EQ(image[std::size_t(index("Общие Iном."))], before[std::size_t(index("Общие Iном."))]);
}

TEST_F(SetpointPagesTest, ModelClassChangeRebuildsTheTabs)
{
    open(705);
    EXPECT_NE(field(1024), nullptr);
    EXPECT_EQ(field(1035), nullptr);
    EXPECT_EQ(field(1000)->toolTip(), "Imin=2.0A; Imax=200A");
    image = DefaultImage(715);
    shell.mdl.setCode(715);  // the tabs hear it from the model, nobody forwards it
    EXPECT_EQ(field(1024), nullptr) << "no Кпересчета on M models";
    ASSERT_NE(field(1035), nullptr);
    EXPECT_EQ(field(1035)->text(), "0.005");
    EXPECT_EQ(field(1053)->toolTip(), "Imin=20A; Imax=6000A");
    EXPECT_NE(editor->tab(4)->control<QComboBox>(1279), nullptr);

    image = DefaultImage(306);
    shell.mdl.setCode(306);
    EXPECT_EQ(field(1000)->toolTip(), "Imin=0.4A; Imax=40A");
    EXPECT_EQ(field(1000)->text(), "0.40");
    EXPECT_FALSE(editor->tab(1)->control(1223)->isEnabled());
}

TEST_F(SetpointPagesTest, EveryTabRendersWithItsOwnButtonInBlue)
{
    for (int code : {705, 715}) {
        open(code);
        for (int t = 0; t < kSetpointTabs; ++t) {
            editor->showTab(t);
            QApplication::processEvents();
            const QImage img = editor->tab(t)->grab().toImage();
            ASSERT_FALSE(img.isNull());
            const QImage button = editor->tab(t)->control(TabButtonId(t, t))->grab().toImage();
            bool blue = false;
            for (int y = 0; y < button.height() && !blue; ++y)
                for (int x = 0; x < button.width() && !blue; ++x) {
                    const QColor c = button.pixelColor(x, y);
                    blue = c.blue() > 200 && c.red() < 80 && c.green() < 80;
                }
            EXPECT_TRUE(blue) << code << " tab " << t;
            if (const char* dir = std::getenv("TIRV_SCREENSHOT_DIR"))
                img.save(QString("%1/setpoints_%2_tab%3.png").arg(dir).arg(code).arg(t));
        }
        editor.reset();
    }
}

}  // namespace
}  // namespace tirv
