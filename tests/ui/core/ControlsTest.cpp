#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "GalleryWindow.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CEditUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::ui {
namespace {

using testing::GalleryWindow;

class GalleryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::UseGalleryResources();
        ASSERT_NE(window.Create(0, "Gallery", 0, 0), 0u);
        window.notes.clear();
    }
    void TearDown() override { window.DestroyHandle(); }

    GalleryWindow window;
};

TEST_F(GalleryTest, BuildsEveryControlWithDefaultsStylesIncludesAndLanguageTexts) {
    CPaintManagerUI& pm = window.PaintManager();
    EXPECT_EQ(pm.GetInitSize().cx, 800);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 36);
    for (const char* name : {"plain_button", "check_box", "colour_red", "name_edit", "mode_combo",
                             "speed_slider", "upload_progress", "help_text", "macro_list",
                             "event_list", "Pallet", "footer_label", "image_button"}) {
        EXPECT_NE(pm.FindControl(name), nullptr) << name;
    }
    // Names compare without case.
    EXPECT_EQ(pm.FindControl("PLAIN_Button"), pm.FindControl("plain_button"));
    // The class default gives buttons their height; a named style their colour.
    EXPECT_EQ(pm.FindControl("plain_button")->GetFixedHeight(), 28);
    EXPECT_EQ(pm.FindControl("accent_button")->GetBkColor(), 0xFFE0483Eu);
    EXPECT_EQ(pm.FindControl("title_label")->GetText(), "Toolkit gallery");
    EXPECT_EQ(pm.FindControl("title_label")->GetRawText(), "gallery_title");
    ASSERT_NE(pm.GetFont(1), nullptr);
    EXPECT_TRUE(pm.GetFont(1)->bold);

    // Laid out: the caption on top, the tab bar under it, the page below.
    pm.LayoutIfNeeded();
    EXPECT_EQ(pm.FindControl("caption")->GetPos(), (UiRect{0, 0, 800, 36}));
    EXPECT_EQ(pm.FindControl("closebtn")->GetPos(), (UiRect{756, 0, 792, 28}));
    EXPECT_EQ(pm.FindControl("tab_bar")->GetPos().top, 36);
    EXPECT_EQ(pm.FindControl("tab_controls")->GetPos(), (UiRect{12, 40, 122, 70}));
    EXPECT_EQ(pm.FindControl("tab_lists")->GetPos().left, 126);
    // The last stretch control takes what is left of the tab bar.
    EXPECT_TRUE(pm.FindControl("page_controls")->IsVisible());
    EXPECT_FALSE(pm.FindControl("page_lists")->IsVisible());
}

TEST_F(GalleryTest, ClickReachesTheButtonOnlyWhenReleasedOverIt) {
    CPaintManagerUI& pm = window.PaintManager();
    window.Click("plain_button");
    EXPECT_EQ(window.Notes({"click"}), std::vector<std::string>{"click:plain_button"});

    UiPoint inside = window.Centre("plain_button");
    pm.HandleButtonDown(inside);
    EXPECT_TRUE(pm.FindControl("plain_button")->IsPushed());
    pm.HandleMouseMove({inside.x + 400, inside.y + 300});
    EXPECT_FALSE(pm.FindControl("plain_button")->IsPushed());
    pm.HandleButtonUp({inside.x + 400, inside.y + 300});
    window.Click("disabled_button");
    EXPECT_EQ(window.Notes({"click"}).size(), 1u);
}

TEST_F(GalleryTest, HoverMovesTheHotStateBetweenControls) {
    CPaintManagerUI& pm = window.PaintManager();
    pm.HandleMouseMove(window.Centre("plain_button"));
    EXPECT_TRUE(pm.FindControl("plain_button")->IsHot());
    pm.HandleMouseMove(window.Centre("accent_button"));
    EXPECT_FALSE(pm.FindControl("plain_button")->IsHot());
    EXPECT_TRUE(pm.FindControl("accent_button")->IsHot());
    pm.HandleMouseLeaveWindow();
    EXPECT_FALSE(pm.FindControl("accent_button")->IsHot());
}

TEST_F(GalleryTest, GroupedOptionsAreExclusiveAndOnlyTheNewSelectionNotifies) {
    window.Click("colour_green");
    EXPECT_TRUE(window.Find<COptionUI>("colour_green")->IsSelected());
    EXPECT_FALSE(window.Find<COptionUI>("colour_red")->IsSelected());
    window.Click("colour_green");  // clicking the selected one keeps it
    EXPECT_TRUE(window.Find<COptionUI>("colour_green")->IsSelected());
    EXPECT_EQ(window.Notes({"selectchanged"}),
              std::vector<std::string>{"selectchanged:colour_green"});

    window.Click("check_box");
    window.Click("check_box");
    EXPECT_FALSE(window.Find<COptionUI>("check_box")->IsSelected());
    EXPECT_EQ(window.Notes({"selectchanged"}).size(), 3u);
}

TEST_F(GalleryTest, BoundOptionSwitchesTheTabAndTheNewPageTakesClicks) {
    window.Click("tab_lists");
    auto* tabs = window.Find<CTabLayoutUI>("gallery_tabs_layout");
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(
        window.Notes({"selectchanged", "tabselect"}),
        (std::vector<std::string>{"tabselect:gallery_tabs_layout", "selectchanged:tab_lists"}));
    EXPECT_FALSE(window.PaintManager().FindControl("plain_button")->IsVisible());
    EXPECT_TRUE(window.PaintManager().FindControl("macro_list")->IsVisible());
    // The hidden page's button is no longer under the mouse.
    window.notes.clear();
    window.Click("macro_list");
    EXPECT_TRUE(window.Notes({"click"}).empty());
}

TEST_F(GalleryTest, SliderDragSendsMovesThenOneValueChange) {
    auto* slider = window.Find<CSliderUI>("speed_slider");
    window.PaintManager().LayoutIfNeeded();
    UiRect thumb = slider->GetThumbRect();
    UiRect track = slider->GetPos();
    CPaintManagerUI& pm = window.PaintManager();
    UiPoint start{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    pm.HandleMouseMove(start);
    pm.HandleButtonDown(start);
    pm.HandleMouseMove({track.right - 60, start.y});
    pm.HandleMouseMove({track.right + 50, start.y});  // past the end stays at the maximum
    pm.HandleButtonUp({track.right + 50, start.y});
    EXPECT_EQ(slider->GetValue(), 4);
    EXPECT_EQ(
        window.Notes({"movevaluechanged", "valuechanged"}),
        (std::vector<std::string>{"movevaluechanged:speed_slider", "movevaluechanged:speed_slider",
                                  "valuechanged:speed_slider"}));
}

TEST_F(GalleryTest, ComboDropsItsListAndAPickSelectsAndCloses) {
    auto* combo = window.Find<CComboUI>("mode_combo");
    CPaintManagerUI& pm = window.PaintManager();
    window.Click("mode_combo");
    ASSERT_TRUE(combo->IsDropped());
    // The third element sits under the combo, inside the drop list.
    UiRect below = combo->GetItemAt(2)->GetPos();
    EXPECT_GE(below.top, combo->GetPos().bottom);
    UiPoint pick{(below.left + below.right) / 2, (below.top + below.bottom) / 2};
    pm.HandleMouseMove(pick);
    pm.HandleButtonDown(pick);
    pm.HandleButtonUp(pick);
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "Wave");
    EXPECT_EQ(window.Notes({"itemselect"}), std::vector<std::string>{"itemselect:mode_combo"});

    // A press outside closes it and selects nothing.
    window.Click("mode_combo");
    ASSERT_TRUE(combo->IsDropped());
    pm.HandleButtonDown({5, 560});
    pm.HandleButtonUp({5, 560});
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(combo->GetCurSel(), 2);
}

TEST_F(GalleryTest, EditTakesTypingWithinItsLimitAndNumbersOnly) {
    CPaintManagerUI& pm = window.PaintManager();
    auto* name = window.Find<CEditUI>("name_edit");
    window.Click("name_edit");
    EXPECT_EQ(pm.GetFocus(), name);
    pm.HandleKeyDown(kKeyEnd);
    for (char32_t c : std::u32string(U" αβγ overflowing the limit")) pm.HandleChar(c);
    EXPECT_EQ(name->GetText(), "Profile 1 αβγ overfl");  // 20 characters, not bytes
    pm.HandleKeyDown(kKeyBack);
    EXPECT_EQ(name->GetText(), "Profile 1 αβγ overf");
    pm.HandleKeyDown(kKeyReturn);

    auto* number = window.Find<CEditUI>("number_edit");
    window.Click("number_edit");
    number->SetSelAll();
    for (char32_t c : std::u32string(U"12a-3")) pm.HandleChar(c);
    EXPECT_EQ(number->GetText(), "123");
    EXPECT_FALSE(number->InsertText("x"));

    std::vector<std::string> expected{"setfocus:name_edit", "return:name_edit",
                                      "killfocus:name_edit", "setfocus:number_edit"};
    EXPECT_EQ(window.Notes({"setfocus", "killfocus", "return"}), expected);
    EXPECT_EQ(window.Notes({"textchanged"}).size(), 11u + 1 + 3);
}

TEST_F(GalleryTest, ListSelectsScrollsAndActivates) {
    window.Click("tab_lists");
    window.notes.clear();
    auto* list = window.Find<CListUI>("macro_list");
    CPaintManagerUI& pm = window.PaintManager();
    pm.LayoutIfNeeded();
    ASSERT_GT(list->GetScrollRange().cy, 0);

    list->EnsureVisible(17);
    UiRect last = list->GetItemAt(17)->GetPos();
    EXPECT_LE(last.bottom, list->GetPos().bottom);
    EXPECT_GE(last.top, list->GetPos().top);
    EXPECT_EQ(list->GetScrollPos().cy, list->GetScrollRange().cy);

    UiPoint row{(last.left + last.right) / 2, (last.top + last.bottom) / 2};
    pm.HandleButtonDown(row);
    pm.HandleButtonUp(row);
    EXPECT_EQ(list->GetCurSel(), 17);
    EXPECT_EQ(window.Notes({"itemclick", "itemselect"}),
              (std::vector<std::string>{"itemclick:", "itemselect:macro_list"}));

    UiRect previous = list->GetItemAt(16)->GetPos();
    UiPoint above{(previous.left + previous.right) / 2, (previous.top + previous.bottom) / 2};
    pm.HandleButtonDown(above, kModControl);
    pm.HandleButtonUp(above, kModControl);
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{17, 16}));
    pm.HandleDoubleClick(above);
    pm.HandleButtonUp(above);
    EXPECT_EQ(window.Notes({"itemactivate"}).size(), 1u);

    list->HomeUp();
    EXPECT_EQ(list->GetScrollPos().cy, 0);
    EXPECT_EQ(list->GetItemAt(0)->GetPos().top, list->GetPos().top);
}

TEST_F(GalleryTest, DisablingASelectedOptionOrListElementKeepsItDrawnSelected) {
    window.Click("colour_green");
    window.Click("tab_lists");
    auto* list = window.Find<CListUI>("macro_list");
    ASSERT_TRUE(list->SelectItem(2));
    for (CControlUI* control :
         {static_cast<CControlUI*>(window.Find<COptionUI>("colour_green")), list->GetItemAt(2)}) {
        control->SetEnabled(false);
        EXPECT_EQ(control->GetState(), kStateSelected | kStateDisabled) << control->GetName();
        control->SetEnabled(true);
        EXPECT_EQ(control->GetState(), kStateSelected) << control->GetName();
    }
}

TEST_F(GalleryTest, ControlTimersFireUntilKilled) {
    CControlUI* label = window.PaintManager().FindControl("plain_label");
    ASSERT_TRUE(label->SetTimer(1005, 5));
    int fired = 0;
    window.OnNotify("timer", "plain_label", [&](TNotifyUI& msg) {
        EXPECT_EQ(msg.wParam, 1005u);
        if (++fired == 3) {
            label->KillTimer(1005);
            SetTimer(window.GetHWND(), 77, 30);
        }
    });
    // Quit a little after the kill, to see that nothing more arrives.
    struct QuitOnTimer : MessageWindow {
        LRESULT HandleMessage(UINT msg, WPARAM, LPARAM) override {
            if (msg == WM_TIMER) PostQuitMessage(0);
            return 0;
        }
    } quitter;
    quitter.CreateHandle("quitter", "quitter");
    SetTimer(quitter.GetHWND(), 1, 200);
    RunMessageLoop();
    EXPECT_EQ(fired, 3);
}

TEST_F(GalleryTest, RightClickOnAControlWithAMenuSendsMenu) {
    CControlUI* swatchless = window.PaintManager().FindControl("plain_label");
    swatchless->SetContextMenuUsed(true);
    UiPoint point = window.Centre("plain_label");
    window.PaintManager().HandleRightButtonDown(point);
    window.PaintManager().HandleRightButtonUp(point);
    EXPECT_EQ(window.Notes({"menu"}), std::vector<std::string>{"menu:plain_label"});
}

TEST_F(GalleryTest, RemovingTheClickedControlDuringItsNotificationIsSafe) {
    window.OnNotify("click", "plain_button", [&](TNotifyUI& msg) {
        auto* parent =
            static_cast<CContainerUI*>(msg.pSender->GetParent()->GetInterface("Container"));
        parent->Remove(msg.pSender);
    });
    window.Click("plain_button");
    EXPECT_EQ(window.PaintManager().FindControl("plain_button"), nullptr);
    window.Click("accent_button");
    EXPECT_EQ(window.Notes({"click"}).back(), "click:accent_button");
}

TEST_F(GalleryTest, LanguageReloadShowsTheNewTexts) {
    std::string file = (std::filesystem::temp_directory_path() /
                        ("vivori-lan-" + std::to_string(getpid()) + ".xml"))
                           .string();
    std::ofstream(file) << "<Language><Text id=\"gallery_title\" value=\"工具包\"/></Language>";
    CControlUI* title = window.PaintManager().FindControl("title_label");
    ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage(file));
    CResourceManager::GetInstance().ReloadText();
    EXPECT_EQ(title->GetText(), "工具包");
    // A file that cannot be read keeps the current table.
    std::filesystem::remove(file);
    EXPECT_FALSE(CResourceManager::GetInstance().LoadLanguage(file));
    EXPECT_EQ(title->GetText(), "工具包");
    testing::UseGalleryResources();
    EXPECT_EQ(title->GetText(), "Toolkit gallery");
}


TEST_F(GalleryTest, TabWalksTheControlsBothWaysSkippingDisabledOnesAndKeysPressThem) {
    CPaintManagerUI& pm = window.PaintManager();
    // From the last control backwards, then forwards round to the first.
    pm.HandleKeyDown(kKeyTab, kModShift);
    ASSERT_NE(pm.GetFocus(), nullptr);
    const CControlUI* last = pm.GetFocus();
    EXPECT_TRUE(pm.IsFocusShown());
    pm.HandleKeyDown(kKeyTab);
    EXPECT_EQ(pm.GetFocus()->GetName(), "minbtn");
    pm.HandleKeyDown(kKeyTab, kModShift);
    EXPECT_EQ(pm.GetFocus(), last);
    std::vector<std::string> order;
    for (int n = 0; n < 12; ++n) {
        pm.HandleKeyDown(kKeyTab);
        order.push_back(pm.GetFocus()->GetName());
    }
    EXPECT_EQ(std::count(order.begin(), order.end(), "disabled_button"), 0);
    EXPECT_NE(std::find(order.begin(), order.end(), "check_box"), order.end());
    // Space presses the focused check box; a mouse press hides the ring again.
    while (pm.GetFocus()->GetName() != "check_box") pm.HandleKeyDown(kKeyTab);
    auto* check = window.Find<COptionUI>("check_box");
    const bool was = check->IsSelected();
    pm.HandleKeyDown(' ');
    EXPECT_NE(check->IsSelected(), was);
    window.Click("plain_button");
    EXPECT_FALSE(pm.IsFocusShown());
}

}  // namespace
}  // namespace vivori::ui
