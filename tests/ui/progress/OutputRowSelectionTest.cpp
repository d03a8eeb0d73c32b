// The reader's selection of an output list, without a window: each way the selection changes, from the
// states a reader reaches, against what a Mac list (and a stock list view) does.

#include "ui/progress/OutputRowSelection.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

using namespace qlan;

namespace {

// Plays `script`: steps of a letter and a row. c click, m Command-click, s Shift+click, e Shift step or drag,
// n click on no row, p Space, t Command+Space, a Select All of that many rows, f the focus coming in with
// that row in view and the current row in view (F: out of view), v the view moved to that row, r rows
// arrived with that row in view, x the rows cleared, k a selection of rows 2..3 and 6..9 made elsewhere, g
// where a Shift step starts with the current row out of view and that row at the edge it moves toward.
void play(OutputRowSelection& selection, const std::string& script) {
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
        const int row = step.size() > 1 ? std::stoi(step.substr(1)) : -1;
        // clang-format off
        switch (step[0]) {
        case 'c': selection.click(row); break;
        case 'm': selection.commandClick(row); break;
        case 's': selection.shiftClick(row); break;
        case 'e': selection.extendTo(row); break;
        case 'n': selection.clickOnNoRow(); break;
        case 'p': selection.selectCurrent(false); break;
        case 't': selection.selectCurrent(true); break;
        case 'a': selection.selectAll(row); break;
        case 'f': selection.focusIn(row, true); break;
        case 'F': selection.focusIn(row, false); break;
        case 'v': selection.viewMoved(row); break;
        case 'r': selection.rowsArrived(row); break;
        case 'x': selection.clear(); break;
        case 'k': selection.take(row, {{6, 8}, {2, 3}, {7, 9}}); break;
        case 'g': selection.stepStart(false, row); break;
        default: FAIL() << step;
        }
        // clang-format on
    }
}

// "2..3 5..5": the selected ranges.
std::string shown(const OutputRowSelection& selection) {
    std::string text;
    for (const auto& range : selection.selected())
        text += (text.empty() ? "" : " ") + std::to_string(range.first) + ".." + std::to_string(range.last);
    return text;
}

TEST(OutputRowSelection, EachPathFromEachStateSelectsAsAMacListDoes) {
    struct Case {
        const char* name;
        const char* script;
        int current;
        bool chosen;
        const char* selected;
    };
    // clang-format off
    const Case cases[] = {
        {"a click selects its row alone",                        "c3 c5",                  5, true, "5..5"},
        {"Shift+click selects from the clicked row",             "c5 s7",                  7, true, "5..7"},
        {"a range shrinks back past its start",                  "c5 s7 s1",               1, true, "1..5"},
        {"a Command-clicked row stays as the range turns",       "c5 m3 s7 s1",            1, true, "1..3 5..5"},
        {"rows kept apart stay however the range changes",       "c2 m3 m4 s7 s1 s6",      6, true, "2..6"},
        {"Shift steps shrink the range to the kept rows",        "c2 m3 m4 s7 s1 s6 e5 e4", 4, true, "2..4"},
        {"a Command-click takes a row out and anchors there",    "c5 s8 m6",               6, true, "5..5 7..8"},
        {"a step that cannot move keeps a lone row",             "c0 e0",                  0, true, "0..0"},
        {"a step that cannot move keeps the range",              "c43169 e0 e0",           0, true, "0..43169"},
        {"Shift+click with nothing selected: the row alone",     "f399 s391",            391, true, "391..391"},
        {"Shift+click on the current row: from the anchor",      "c200 s199 m199 s199",  199, true, "199..200"},
        {"a row the focus gave follows the view",                "f50011 v0",              0, false, ""},
        {"Space takes the row in view",                          "f50011 v0 p",            0, true, "0..0"},
        {"Shift steps start at the row in view",                 "f799 v12 e13",          13, true, "12..13"},
        {"a Shift step from a chosen row out of view extends it", "c294 m297 v0 g13 e298",  298, true, "294..294 297..298"},
        {"... and the other way",                                "c294 m297 v0 g1 e296",    296, true, "294..294 296..297"},
        {"a given row out of view: from the row in view",        "a900 f3 v500 g400 e401", 401, true, "400..401"},
        {"a chosen row keeps its place as the view moves",       "c101 v5101 s5105",    5105, true, "101..5105"},
        {"the focus back, nothing selected: the row in view",    "c10 m10 F300",         300, false, ""},
        {"the focus back keeps a current row in view",           "c10 m10 f300",          10, true, ""},
        {"the focus keeps a selection's current row",            "c10 F300",              10, true, "10..10"},
        {"the focus into an empty list gives nothing",           "F-1",                   -1, false, ""},
        {"the first rows to arrive give the row in view",        "r5 r9",                  5, false, ""},
        {"rows arriving leave a chosen row",                     "c2 r9",                  2, true, "2..2"},
        {"Command+Space turns the row's selection over",         "c3 t v40",               3, true, ""},
        {"Space selects the current row",                        "c3 t p",                 3, true, "3..3"},
        {"Select All, then a Shift+click keeps every row",       "c4 a10 s6",              6, true, "0..9"},
        {"a click on no row clears the selection",               "c3 s6 n",                6, true, ""},
        {"a selection made elsewhere is taken whole",            "k4 e6",                  6, true, "2..9"},
        {"clearing the rows forgets everything",                 "c3 s6 x",               -1, false, ""},
    };
    // clang-format on
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        OutputRowSelection selection;
        play(selection, each.script);
        EXPECT_EQ(selection.current(), each.current);
        EXPECT_EQ(selection.isCurrentChosen(), each.chosen);
        EXPECT_EQ(shown(selection), each.selected);
        for (int row = 0; row < 12; ++row) {
            bool inRanges = false;
            for (const auto& range : selection.selected())
                inRanges = inRanges || (range.first <= row && row <= range.last);
            EXPECT_EQ(selection.isSelected(row), inRanges) << "row " << row;
        }
    }
}

} // namespace
