// The scan options: all boxes checked at first, and the coupling of the COM box with the
// classes-root box.
#include "app/ScanOptions.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace kestrover {
namespace {

constexpr std::array kAllBoxes = {ScanBox::clCR, ScanBox::clCU, ScanBox::clLM, ScanBox::clU,
                                  ScanBox::clActive};

// The state of the five boxes in the order of kAllBoxes.
using BoxStates = std::array<bool, 5>;

BoxStates States(const ScanOptions& options) {
    BoxStates states{};
    for (std::size_t i = 0; i < kAllBoxes.size(); ++i) states[i] = options.Checked(kAllBoxes[i]);
    return states;
}

TEST(ScanOptionsTest, AllBoxesStartChecked) {
    ScanOptions options;
    EXPECT_EQ(States(options), (BoxStates{true, true, true, true, true}));
    ScanSelection selection = options.Selection();
    EXPECT_TRUE(selection.classesRoot && selection.currentUser && selection.localMachine &&
                selection.users && selection.comClasses);
}

TEST(ScanOptionsTest, ClicksAndTheComCoupling) {
    struct Click {
        ScanBox box;
        bool checked;
    };
    struct Case {
        const char* name;
        std::vector<Click> clicks;
        BoxStates expected;  // clCR, clCU, clLM, clU, clActive
    };
    const Case cases[] = {
        {"unchecking clCR unchecks clActive", {{ScanBox::clCR, false}},
         {false, true, true, true, false}},
        {"checking clActive checks clCR", {{ScanBox::clCR, false}, {ScanBox::clActive, true}},
         {true, true, true, true, true}},
        {"checking clCR leaves clActive unchecked",
         {{ScanBox::clCR, false}, {ScanBox::clCR, true}}, {true, true, true, true, false}},
        {"unchecking clActive leaves clCR checked", {{ScanBox::clActive, false}},
         {true, true, true, true, false}},
        {"unchecking clCR with clActive already unchecked",
         {{ScanBox::clActive, false}, {ScanBox::clCR, false}}, {false, true, true, true, false}},
        {"the other roots are independent",
         {{ScanBox::clCU, false}, {ScanBox::clLM, false}, {ScanBox::clU, false}},
         {true, false, false, false, true}},
        {"a root box checked again",
         {{ScanBox::clU, false}, {ScanBox::clU, true}}, {true, true, true, true, true}},
        {"all four roots unchecked",
         {{ScanBox::clCR, false}, {ScanBox::clCU, false}, {ScanBox::clLM, false},
          {ScanBox::clU, false}},
         {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanOptions options;
        for (const Click& click : c.clicks) options.SetChecked(click.box, click.checked);
        EXPECT_EQ(States(options), c.expected);
        ScanSelection selection = options.Selection();
        EXPECT_EQ((BoxStates{selection.classesRoot, selection.currentUser, selection.localMachine,
                             selection.users, selection.comClasses}),
                  c.expected);
    }
}

}  // namespace
}  // namespace kestrover
