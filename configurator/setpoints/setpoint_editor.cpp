// The behaviour of the setpoint tabs: filling, typing, leaving a field, spins, boxes, lists,
// the recording-time channels, tab switching and the gathering before a write.
#include "configurator/setpoints/editor_texts.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_pages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

namespace tirv {

namespace {

namespace tx = editor_texts;

const char* errorText(FieldError e)
{
    switch (e) {
    case FieldError::Empty: return tx::kEnterValue;
    case FieldError::NotNumber: return tx::kNotANumber;
    case FieldError::BelowMin: return tx::kBelowMin;
    case FieldError::AboveMax: return tx::kAboveMax;
    case FieldError::None: break;
    }
    return "";
}

QString q(const std::u16string& s) { return QString::fromStdU16String(s); }

}  // namespace

SetpointEditor::SetpointEditor(Shell& shell, SetpointImage& image, QWidget* tabParent)
    : m_shell(shell), m_image(image)
{
    for (int t = 0; t < kSetpointTabs; ++t) {
        m_tabs[std::size_t(t)] = new SetpointTab(*this, shell, t, tabParent);
        m_tabs[std::size_t(t)]->setVisible(t == 0 && tabParent);
    }
    // Another model selects other tables: the tabs rebuild themselves.
    connect(&shell.model(), &DeviceModel::changed, this, [this](int code) { setModel(code); });
}

SetpointEditor::~SetpointEditor()
{
    // A tab must not outlive the editor its controls report to.
    for (QPointer<SetpointTab>& t : m_tabs)
        delete t.data();
}

std::array<Page*, kSetpointTabs> SetpointEditor::tabs() const
{
    std::array<Page*, kSetpointTabs> r{};
    for (int t = 0; t < kSetpointTabs; ++t)
        r[std::size_t(t)] = m_tabs[std::size_t(t)];
    return r;
}

void SetpointEditor::setModel(int modelCode)
{
    if (m_built && modelCode == m_profile.modelCode)
        return;
    const ModelProfile next = m_built ? ApplyModelProfile(modelCode, m_profile)
                                      : ProfileForModel(modelCode);
    const bool rebuild = !m_built || next.isM != m_profile.isM;
    m_profile = next;
    if (rebuild) {
        for (SetpointTab* t : m_tabs)
            t->build(m_profile);
        m_built = true;
        m_errorField = 0;
        registerWidgets();
    }
    refreshTooltips();
    fillFromImage();
}

void SetpointEditor::registerWidgets()
{
    m_widgets.clear();
    for (SetpointTab* t : m_tabs)
        for (QWidget* w : t->content()->findChildren<QWidget*>()) {
            bool ok = false;
            const int id = w->objectName().toInt(&ok);
            if (ok)
                m_widgets[id] = w;
        }
}

QWidget* SetpointEditor::find(int id) const
{
    const auto it = m_widgets.find(id);
    return it == m_widgets.end() ? nullptr : it->second;
}

QLineEdit* SetpointEditor::edit(int id) const { return qobject_cast<QLineEdit*>(find(id)); }

void SetpointEditor::refreshTooltips()
{
    for (int id = kFirstEdit; id <= kLastEdit; ++id)
        if (QLineEdit* e = edit(id)) {
            const char* tip = EditTooltip(m_profile, id);
            e->setToolTip(tip ? QString::fromUtf8(tip) : QString());
        }
}

FieldBounds SetpointEditor::boundsOf(int i) const
{
    const NumericSetpoint& n = m_profile.numeric[std::size_t(i)];
    FieldBounds b{n.editMin, n.editMax, n.rawMin, n.rawMax};
    if (n.control == kPreFaultEdit) {
        // The recording-time rule narrows the pre-fault time.
        b.rawMax = RawMaxFor(m_profile, m_image, i);
        b.max = b.rawMax / 100.0;
    }
    return b;
}

void SetpointEditor::fillFromImage()
{
    if (!m_built)
        return;
    // New values replace whatever was rejected.
    m_errorField = 0;
    m_filling = true;
    for (int i = 0; i < m_profile.numericCount(); ++i)
        showNumeric(i);
    for (int k = 0; k < m_profile.flagCount(); ++k)
        if (auto* c = qobject_cast<QCheckBox*>(find(m_profile.flags[std::size_t(k)].control)))
            c->setChecked(m_image[std::size_t(m_profile.flagIndex(k))] != 0);
    for (int k = 0; k < m_profile.choiceCount(); ++k)
        if (auto* l = qobject_cast<QComboBox*>(find(m_profile.choices[std::size_t(k)].control))) {
            const int v = m_image[std::size_t(m_profile.choiceIndex(k))];
            l->setCurrentIndex(v >= 0 && v < l->count() ? v : -1);
        }
    applyRecordingTime();
    m_filling = false;
}

void SetpointEditor::showNumeric(int i)
{
    if (i < 0 || i >= m_profile.numericCount())
        return;
    const NumericSetpoint& n = m_profile.numeric[std::size_t(i)];
    if (QLineEdit* e = edit(n.control)) {
        const QString text = q(formatRaw(m_image[std::size_t(i)], n.kind));
        e->setText(text);
        m_lastText[n.control] = text;
    }
}

void SetpointEditor::typed(int id)
{
    const int i = NumericIndexOfEdit(m_profile, id);
    QLineEdit* e = edit(id);
    if (i < 0 || !e)
        return;
    const QString before = e->text();
    const int caret = e->cursorPosition();
    const FilterResult r = filterTyping(before.toStdU16String(), m_profile.numeric[std::size_t(i)].kind);
    QString text = q(r.text);
    int at = r.caret >= 0 ? r.caret : caret;
    // The character limit holds typing only; a filled value may be longer.
    const int limit = EditCharLimit(id);
    const QString last = m_lastText[id];
    if (limit > 0 && text.size() > limit && text.size() > last.size()) {
        text = last;
        at = std::max(0, caret - 1);
    }
    if (text != before) {
        e->setText(text);
        e->setCursorPosition(std::min<int>(at, int(text.size())));
    }
    m_lastText[id] = text;
}

void SetpointEditor::leaveField(int id)
{
    if (m_filling || m_gathering || NumericIndexOfEdit(m_profile, id) < 0)
        return;
    if (m_shell.state().minimized) {
        m_pendingFocus = id;
        return;
    }
    // While a rejected field takes the focus back, the field it came from is not checked.
    if (m_errorField != 0 && m_errorField != id)
        return;
    storeField(id);
}

bool SetpointEditor::storeField(int id)
{
    const int i = NumericIndexOfEdit(m_profile, id);
    QLineEdit* e = edit(id);
    const NumericSetpoint& n = m_profile.numeric[std::size_t(i)];
    const FieldValue v = checkField(e->text().toStdU16String(), n.kind, boundsOf(i));
    if (v.error != FieldError::None) {
        reject(id, v.error, true);
        return false;
    }
    m_errorField = 0;
    m_image[std::size_t(i)] = v.raw;
    const QString text = q(v.text);
    if (e->text() != text)
        e->setText(text);
    m_lastText[id] = text;
    if (m_stored)
        m_stored(i);
    return true;
}

void SetpointEditor::reject(int id, FieldError error, bool leaving)
{
    m_errorField = id;
    // A message right after the window came back (or its title bar was clicked) is dropped once.
    if (!leaving || m_shell.state().takeFieldMessage())
        m_shell.reporter().ask(Box(QString::fromUtf8(tx::kCaptionSetpointInput),
                                QString::fromUtf8(errorText(error)), MsgIcon::Error, MsgButtons::Ok));
    if (QLineEdit* e = edit(id))
        e->setFocus(Qt::OtherFocusReason);
}

void SetpointEditor::windowRestored()
{
    if (QLineEdit* e = edit(m_pendingFocus))
        e->setFocus(Qt::OtherFocusReason);
    m_pendingFocus = 0;
}

void SetpointEditor::spin(int spinId, bool up)
{
    const int id = spinId - kSpinOffset;
    const int i = NumericIndexOfEdit(m_profile, id);
    QLineEdit* e = edit(id);
    if (i < 0 || !e || !e->isEnabled())
        return;
    e->setFocus(Qt::OtherFocusReason);
    if (m_errorField != 0) {
        m_errorField = 0;
        return;
    }
    const NumericSetpoint& n = m_profile.numeric[std::size_t(i)];
    const auto next = spinStep(e->text().toStdU16String(), n.kind, boundsOf(i), up);
    if (!next)
        return;
    e->setText(q(*next));
    m_lastText[id] = e->text();
    // The stepped value is exact and within the bounds: the image follows it at once.
    const FieldValue v = checkField(*next, n.kind, boundsOf(i));
    if (v.error == FieldError::None) {
        m_image[std::size_t(i)] = v.raw;
        if (m_stored)
            m_stored(i);
    }
}

void SetpointEditor::checkClicked(int id)
{
    const int k = FlagIndexOfCheck(m_profile, id);
    auto* c = qobject_cast<QCheckBox*>(find(id));
    if (k < 0 || !c)
        return;
    m_image[std::size_t(m_profile.flagIndex(k))] = c->isChecked() ? 1 : 0;
    if (id >= kFirstChannelBox && id <= kZeroSequenceBox)
        applyRecordingTime();
}

void SetpointEditor::listChanged(int id)
{
    const int k = ChoiceIndexOfList(m_profile, id);
    auto* l = qobject_cast<QComboBox*>(find(id));
    if (m_filling || k < 0 || !l || l->currentIndex() < 0)
        return;
    m_image[std::size_t(m_profile.choiceIndex(k))] = l->currentIndex();
}

void SetpointEditor::applyRecordingTime()
{
    const int i = NumericIndexOfEdit(m_profile, kPreFaultEdit);
    QLineEdit* pre = edit(kPreFaultEdit);
    QLineEdit* rec = edit(kRecordingTimeEdit);
    if (i < 0 || !pre || !rec)
        return;
    const RecordingTime rt = RecordingTimeFor(m_profile, m_image);
    auto& value = m_image[std::size_t(i)];
    if (rt.channels > 0) {
        if (value > rt.rawMax) {
            value = rt.rawMax;
            showNumeric(i);
        }
        rec->setText(QString::asprintf("%.2f", rt.seconds));
    } else {
        value = 0;
        pre->setText(QStringLiteral("0.00"));
        rec->setText(QStringLiteral("0.00"));
    }
    pre->setEnabled(rt.channels > 0);
    if (QWidget* sb = find(kPreFaultEdit + kSpinOffset))
        sb->setEnabled(rt.channels > 0);
}

bool SetpointEditor::switchTab(int k)
{
    if (k < 0 || k >= kSetpointTabs)
        return false;
    // The field being edited loses the focus to the tab: it is checked first.
    if (auto* e = qobject_cast<QLineEdit*>(QApplication::focusWidget()); e && edit(e->objectName().toInt()) == e)
        leaveField(e->objectName().toInt());
    if (m_errorField != 0) {
        if (QLineEdit* e = edit(m_errorField))
            e->setFocus(Qt::OtherFocusReason);
        return false;
    }
    showTab(k);
    return true;
}

void SetpointEditor::showTab(int k)
{
    if (k < 0 || k >= kSetpointTabs)
        return;
    m_current = k;
    if (m_shower)
        m_shower(k);
    else
        for (int t = 0; t < kSetpointTabs; ++t)
            m_tabs[std::size_t(t)]->setVisible(t == k);
    m_tabs[std::size_t(k)]->setFocus(Qt::OtherFocusReason);
}

bool SetpointEditor::gatherIntoImage()
{
    if (m_gathering || !m_built)
        return false;
    m_gathering = true;
    for (int i = 0; i < m_profile.numericCount(); ++i) {
        const NumericSetpoint& n = m_profile.numeric[std::size_t(i)];
        QLineEdit* e = edit(n.control);
        if (!e)
            continue;
        const FieldValue v = checkField(e->text().toStdU16String(), n.kind, boundsOf(i));
        if (v.error != FieldError::None) {
            showTab(n.tab);
            reject(n.control, v.error, false);
            m_gathering = false;
            return false;
        }
        m_image[std::size_t(i)] = v.raw;
        e->setText(q(v.text));
        m_lastText[n.control] = e->text();
    }
    for (int k = 0; k < m_profile.flagCount(); ++k)
        if (auto* c = qobject_cast<QCheckBox*>(find(m_profile.flags[std::size_t(k)].control)))
            m_image[std::size_t(m_profile.flagIndex(k))] = c->isChecked() ? 1 : 0;
    for (int k = 0; k < m_profile.choiceCount(); ++k)
        if (auto* l = qobject_cast<QComboBox*>(find(m_profile.choices[std::size_t(k)].control));
            l && l->currentIndex() >= 0)
            m_image[std::size_t(m_profile.choiceIndex(k))] = l->currentIndex();
    m_errorField = 0;
    m_gathering = false;
    return true;
}

}  // namespace tirv
