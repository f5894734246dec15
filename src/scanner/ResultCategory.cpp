// The result categories' default texts, their colours and the colour groups of the selection
// commands.
#include "scanner/ResultCategory.h"

namespace kestrover {

namespace {

struct CategoryRow {
    const char* text;
    std::uint32_t colour;
    bool green;
    bool red;
};

constexpr CategoryRow kCategories[10] = {
    {"DLL file does not exist", ResultColour::Green, true, false},
    {"File or Path does not exist", ResultColour::Green, true, false},
    {"Helpfile does not exist", ResultColour::Green, true, false},
    {"Obsolete Start Menu item", ResultColour::Green, true, false},
    {"Extension not used", ResultColour::Red, false, true},
    {"Filetype not used", ResultColour::Red, false, true},
    {"Obsolete entry", ResultColour::Green, true, false},
    {"Invalid application path", ResultColour::Red, false, true},
    {"\"Open With\" entry unused", ResultColour::Red, false, true},
    {"Invalid ActiveX/COM entry (CLSID)", ResultColour::Red, false, true},
};

constexpr int kProtectedNumber = static_cast<int>(ResultCategory::Protected);
constexpr int kFailedStateImage = 32;

bool IsCategoryNumber(int number) { return number >= 0 && number < 10; }

}  // namespace

CategoryTexts CategoryTexts::Defaults() {
    CategoryTexts texts;
    for (std::size_t i = 0; i < texts.categories.size(); ++i) texts.categories[i] = kCategories[i].text;
    texts.protectedKey = "Protected  Key";  // two spaces, as the language table has it
    return texts;
}

CategoryAppearance DescribeCategory(int number, const CategoryTexts& texts) {
    CategoryAppearance appearance;
    appearance.stateImage = (number < 10 || number == kUnreadableCategory) ? 0 : kFailedStateImage;
    if (IsCategoryNumber(number)) {
        appearance.hasLine = true;
        appearance.text = texts.categories[static_cast<std::size_t>(number)];
        appearance.colour = kCategories[number].colour;
        return appearance;
    }
    if (number == kProtectedNumber) {
        appearance.hasLine = true;
        appearance.text = texts.protectedKey;
        appearance.colour = ResultColour::Maroon;
        return appearance;
    }
    // A failed deletion appends "0" to the entry: 10 ... 90 stand for 1 ... 9.
    if (number >= 10 && number <= 90 && number % 10 == 0) {
        appearance.hasLine = true;
        appearance.text = texts.categories[static_cast<std::size_t>(number / 10)];
        appearance.colour = number == 10 ? ResultColour::Maroon : ResultColour::Text;
        return appearance;
    }
    return appearance;
}

bool IsGreenCategory(int number) { return IsCategoryNumber(number) && kCategories[number].green; }

bool IsRedCategory(int number) { return IsCategoryNumber(number) && kCategories[number].red; }

}  // namespace kestrover
