// Model codes, model indexes and the profile each code selects.
#include "configurator/setpoints/model_profile.h"

#include "configurator/setpoints/texts.h"

#include <initializer_list>

namespace tirv {
namespace {

namespace tx = setpoint_texts;

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

// "No model" shows the tables of this one.
constexpr const RelayFamilyModel& kNoModelTables = *FindFamilyModel(kFallbackNonMModelCode);

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

// A non-M code of the family, or "no model"; nullptr for any other code.
const RelayFamilyModel* FindNonMModel(int code)
{
    if (code == 0)
        return &kNoModelTables;
    const RelayFamilyModel* r = FindFamilyModel(code);
    return r && !r->m ? r : nullptr;
}

}  // namespace

int ModelCodeForIndex(int index)
{
    if (index < 0 || index >= kModelCount)
        index = kFallbackModelIndex;
    return FamilyCodeOfItem(index);  // index 0 is "no model", code 0
}

int ModelIndexForCode(int modelCode)
{
    if (modelCode == 0)
        return 0;
    const int item = FamilyItem(modelCode);
    return item ? item : -1;
}

std::string ModelTitle(int modelCode)
{
    return modelCode == 0 || IsMModel(modelCode) || FindFamilyModel(modelCode)
               ? RelayTitle(modelCode)
               : std::string();
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
        SelectNumeric(p, NumericSet::SetM, kRelayFamily.back().signalCount);
        p.titleCode = modelCode;
        return p;
    }
    SelectClass(p, false);
    if (const RelayFamilyModel* row = FindNonMModel(modelCode)) {
        SelectNumeric(p, row->setpoints, row->signalCount);
        p.titleCode = modelCode;
    } else if (current.numericSet == NumericSet::SetM || current.numeric.empty()) {
        // The M numeric tables do not fit the non-M register order: keeping them would scatter
        // the values over the wrong registers.
        SelectNumeric(p, kNoModelTables.setpoints, kNoModelTables.signalCount);
        p.titleCode = 0;
    }
    return p;
}

ModelProfile ProfileForModel(int modelCode)
{
    return ApplyModelProfile(modelCode, ModelProfile{});
}

}  // namespace tirv
