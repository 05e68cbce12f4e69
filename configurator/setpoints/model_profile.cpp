// Model codes, model indexes and the profile each code selects.
#include "configurator/setpoints/model_profile.h"

#include "configurator/setpoints/texts.h"

#include <cstdio>
#include <initializer_list>

namespace tirv {
namespace {

namespace tx = setpoint_texts;

struct ModelRow {
    int code;
    const char* title;  // nullptr: the M title, printed with code − 10
};
// Position in the table = model index.
constexpr std::array<ModelRow, kModelCount> kModels{{
    {0, tx::kTitleNoModel},
    {306, tx::kTitle306},
    {705, tx::kTitle705},
    {706, tx::kTitle706},
    {707, tx::kTitle707},
    {715, nullptr},
    {716, nullptr},
    {717, nullptr},
}};

// Resolution of the 26 emergency-journal values: 0.1 unless listed.
constexpr std::array<double, 26> JournalResolution(std::initializer_list<int> hundredths)
{
    std::array<double, 26> r{};
    for (auto& v : r)
        v = 0.1;
    for (int i : hundredths)
        r[i] = 0.01;
    r[9] = 0.001;
    return r;
}
constexpr auto kJournalResolution705 = JournalResolution({});
constexpr auto kJournalResolution306 = JournalResolution({0, 1, 2, 11, 12});
constexpr auto kJournalResolutionM = JournalResolution({0, 1, 2});

// The tables shared by a model class; the numeric set and signal count are chosen by code.
struct ClassRow {
    int imageWords;
    int angleBase;
    int baudCount;
    std::array<int, 4> dialogs;
};
constexpr ClassRow kNonM{115, 32800, 7, {91, 93, 94, 102}};
constexpr ClassRow kM{127, 32803, 10, {96, 98, 99, 103}};

// Non-M codes that select a numeric set and a signal count of their own.
struct NonMCodeRow {
    int code;
    NumericSet set;
    int signalCount;
};
constexpr std::array<NonMCodeRow, 5> kNonMCodes{{
    {0, NumericSet::Set705, 38},
    {306, NumericSet::Set306, 38},
    {705, NumericSet::Set705, 38},
    {706, NumericSet::Set705, 38},
    {707, NumericSet::Set705, 39},
}};
constexpr int kMSignalCount = 44;

std::span<const double> JournalResolutionFor(NumericSet set)
{
    switch (set) {
    case NumericSet::Set306:
        return kJournalResolution306;
    case NumericSet::SetM:
        return kJournalResolutionM;
    case NumericSet::Set705:
        break;
    }
    return kJournalResolution705;
}

void SelectClass(ModelProfile& p, bool isM)
{
    const ClassRow& c = isM ? kM : kNonM;
    p.isM = isM;
    p.imageWords = c.imageWords;
    p.angleBase = c.angleBase;
    p.baudCount = c.baudCount;
    p.dialogs = c.dialogs;
    p.flags = FlagCatalogue(isM);
    p.choices = ChoiceCatalogue(isM);
    p.registerOrder = RegisterOrder(isM);
}

void SelectNumeric(ModelProfile& p, NumericSet set, int signalCount)
{
    p.numericSet = set;
    p.numeric = NumericCatalogue(set);
    p.journalResolution = JournalResolutionFor(set);
    p.signalCount = signalCount;
}

const NonMCodeRow* FindNonMCode(int code)
{
    for (const auto& r : kNonMCodes)
        if (r.code == code)
            return &r;
    return nullptr;
}

}  // namespace

int ModelCodeForIndex(int index)
{
    if (index < 0 || index >= kModelCount)
        index = kFallbackModelIndex;
    return kModels[static_cast<std::size_t>(index)].code;
}

int ModelIndexForCode(int modelCode)
{
    for (std::size_t i = 0; i < kModels.size(); ++i)
        if (kModels[i].code == modelCode)
            return static_cast<int>(i);
    return -1;
}

std::string ModelTitle(int modelCode)
{
    if (IsMModel(modelCode)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, tx::kTitleMFormat, modelCode - 10);
        return buf;
    }
    for (const auto& r : kModels)
        if (r.code == modelCode && r.title)
            return r.title;
    return {};
}

SetpointClass ModelProfile::classOf(int imageIndex) const
{
    if (imageIndex < 0 || imageIndex >= imageWords)
        return SetpointClass::Unused;
    if (imageIndex < numericCount())
        return SetpointClass::Numeric;
    if (imageIndex < numericCount() + flagCount())
        return SetpointClass::Flag;
    return SetpointClass::Choice;
}

int ModelProfile::find(std::string_view name) const
{
    for (int i = 0; i < numericCount(); ++i)
        if (name == numeric[static_cast<std::size_t>(i)].name)
            return i;
    for (int k = 0; k < flagCount(); ++k)
        if (name == flags[static_cast<std::size_t>(k)].name)
            return flagIndex(k);
    for (int k = 0; k < choiceCount(); ++k)
        if (name == choices[static_cast<std::size_t>(k)].name)
            return choiceIndex(k);
    return -1;
}

ModelProfile ApplyModelProfile(int modelCode, const ModelProfile& current)
{
    ModelProfile p = current;
    p.modelCode = modelCode;
    if (IsMModel(modelCode)) {
        SelectClass(p, true);
        SelectNumeric(p, NumericSet::SetM, kMSignalCount);
        p.titleCode = modelCode;
        return p;
    }
    SelectClass(p, false);
    if (const NonMCodeRow* row = FindNonMCode(modelCode)) {
        SelectNumeric(p, row->set, row->signalCount);
        p.titleCode = modelCode;
    } else if (current.numericSet == NumericSet::SetM || current.numeric.empty()) {
        // The M numeric tables do not fit the non-M register order: keeping them would scatter
        // the values over the wrong registers.
        SelectNumeric(p, NumericSet::Set705, kNonMCodes[0].signalCount);
        p.titleCode = 0;
    }
    return p;
}

ModelProfile ProfileForModel(int modelCode)
{
    return ApplyModelProfile(modelCode, ModelProfile{});
}

}  // namespace tirv
