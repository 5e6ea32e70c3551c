#include <gtest/gtest.h>

#include "ui/core/AttributeValues.h"
#include "ui/core/CColorPaletteUI.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CEditUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/CNotifyPump.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CScrollBarUI.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::ui {
namespace {

// A layout attached to a bare paint manager of the given client size.
class LayoutTest : public ::testing::Test {
  protected:
    CControlUI* Build(std::string_view xml, UiSize size = {400, 300}) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml, {}, &pm);
        EXPECT_NE(root, nullptr) << builder.GetLastError();
        pm.SetInitSize(size);
        pm.AttachDialog(root);
        pm.LayoutIfNeeded();
        return root;
    }
    UiRect Pos(std::string_view name) { return pm.FindControl(name)->GetPos(); }

    CPaintManagerUI pm;
};

TEST_F(LayoutTest, StretchSpaceIsSharedAfterFixedSizesPaddingAndLimits) {
    Build(R"(<HorizontalLayout inset="10,5,10,5" childpadding="4">
               <Control name="fixed" width="100"/>
               <Control name="a" padding="2,0,2,0"/>
               <Control name="b" maxwidth="50"/>
               <Control name="c" height="20"/>
             </HorizontalLayout>)");
    // 380 wide inside; 100 fixed + 3 gaps of 4 + 4 padding leaves 264 for three.
    EXPECT_EQ(Pos("fixed"), (UiRect{10, 5, 110, 295}));
    EXPECT_EQ(Pos("a"), (UiRect{116, 5, 204, 295}));
    EXPECT_EQ(Pos("b").Width(), 50);  // its limit, not its share
    EXPECT_EQ(Pos("c").top, 5);
    EXPECT_EQ(Pos("c").Height(), 20);
    EXPECT_LE(Pos("c").right, 390);
}

TEST_F(LayoutTest, FloatingChildrenSitAtTheirPositionAndTakeNoRoom) {
    Build(R"(<VerticalLayout inset="0,0,0,0">
               <Control name="top" height="40"/>
               <Control name="badge" float="true" pos="300,10,340,30"/>
               <Control name="rest"/>
             </VerticalLayout>)");
    EXPECT_EQ(Pos("badge"), (UiRect{300, 10, 340, 30}));
    EXPECT_EQ(Pos("rest"), (UiRect{0, 40, 400, 300}));
    // The float is on top for hit tests.
    EXPECT_EQ(pm.FindControl(UiPoint{310, 20}), pm.FindControl("badge"));
}

TEST_F(LayoutTest, HiddenChildrenTakeNoRoomAndShowingOneRelaysOut) {
    Build(R"(<VerticalLayout>
               <Control name="one" height="50" visible="false"/>
               <Control name="two" height="50"/>
             </VerticalLayout>)");
    EXPECT_EQ(Pos("two").top, 0);
    pm.FindControl("one")->SetVisible(true);
    pm.LayoutIfNeeded();
    EXPECT_EQ(Pos("two").top, 50);
}

TEST_F(LayoutTest, OverflowingColumnGetsAScrollBarThatMovesTheContent) {
    Build(R"(<VerticalLayout name="column" vscrollbar="true">
               <Control name="first" height="200"/><Control name="second" height="200"/>
             </VerticalLayout>)");
    auto* column = static_cast<CContainerUI*>(pm.FindControl("column"));
    ASSERT_NE(column->GetVerticalScrollBar(), nullptr);
    EXPECT_TRUE(column->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(column->GetScrollRange().cy, 100);
    EXPECT_LT(Pos("first").right, 400);  // the bar takes its width
    column->SetScrollPos({0, 500});      // clamped to the range
    EXPECT_EQ(column->GetScrollPos().cy, 100);
    EXPECT_EQ(Pos("second").top, 100);
    pm.HandleWheel({50, 50}, 120);
    EXPECT_LT(column->GetScrollPos().cy, 100);
    // A later relayout keeps the scrolled position.
    pm.NeedUpdate();
    pm.LayoutIfNeeded();
    EXPECT_EQ(Pos("first").top, -column->GetScrollPos().cy);
}

TEST_F(LayoutTest, TabRemovalKeepsTheSelectionOnTheSamePage) {
    Build(
        R"(<TabLayout name="tabs"><Control name="p0"/><Control name="p1"/><Control name="p2"/></TabLayout>)");
    auto* tabs = static_cast<CTabLayoutUI*>(pm.FindControl("tabs"));
    ASSERT_TRUE(tabs->SelectItem(2));
    EXPECT_FALSE(tabs->SelectItem(3));
    tabs->Remove(pm.FindControl("p0"));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_TRUE(pm.FindControl("p2")->IsVisible());
    EXPECT_FALSE(pm.FindControl("p1")->IsVisible());
    // Removing the shown page shows the first one.
    tabs->Remove(pm.FindControl("p2"));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(pm.FindControl("p1")->IsVisible());
}

TEST_F(LayoutTest, HidingAContainerHidesItsChildrenFromHitTestsAndFocus) {
    Build(
        R"(<VerticalLayout><HorizontalLayout name="row" height="40"><Edit name="edit"/></HorizontalLayout></VerticalLayout>)");
    pm.HandleButtonDown({20, 20});
    pm.HandleButtonUp({20, 20});
    EXPECT_EQ(pm.GetFocus(), pm.FindControl("edit"));
    pm.FindControl("row")->SetVisible(false);
    EXPECT_EQ(pm.GetFocus(), nullptr);
    pm.LayoutIfNeeded();
    EXPECT_EQ(pm.FindControl(UiPoint{20, 20}), pm.GetRoot());
}

TEST_F(LayoutTest, ListRemovalShiftsTheSelectionAndReindexes) {
    Build(
        R"(<List name="list"><ListLabelElement text="a"/><ListLabelElement text="b"/><ListLabelElement text="c"/></List>)");
    auto* list = static_cast<CListUI*>(pm.FindControl("list"));
    list->SelectItem(2);
    list->RemoveAt(0);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(list->GetItemAt(list->GetCurSel())->GetText(), "c");
    auto* item = static_cast<IListItemUI*>(list->GetItemAt(1)->GetInterface("ListItem"));
    EXPECT_EQ(item->GetIndex(), 1);
    list->RemoveAt(1);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(LayoutTest, EditCaretMovesAndShiftExtendsTheSelection) {
    Build(R"(<VerticalLayout><Edit name="edit" text="hello" height="30"/></VerticalLayout>)");
    auto* edit = static_cast<CEditUI*>(pm.FindControl("edit"));
    edit->SetFocus();
    pm.HandleKeyDown(kKeyHome);
    pm.HandleKeyDown(kKeyRight, kModShift);
    pm.HandleKeyDown(kKeyRight, kModShift);
    EXPECT_EQ(edit->GetSelectedText(), "he");
    pm.HandleChar('J');
    EXPECT_EQ(edit->GetText(), "Jllo");
    pm.HandleKeyDown(kKeyEnd);
    pm.HandleKeyDown(kKeyDelete);  // nothing after the caret
    EXPECT_EQ(edit->GetText(), "Jllo");
    edit->SetReadOnly(true);
    pm.HandleChar('x');
    pm.HandleKeyDown(kKeyBack);
    EXPECT_EQ(edit->GetText(), "Jllo");
}

TEST_F(LayoutTest, OptionsInDifferentGroupsDoNotAffectEachOther) {
    Build(R"(<VerticalLayout>
               <Option name="a1" group="a" selected="true" height="20"/><Option name="a2" group="a" height="20"/>
               <Option name="b1" group="b" selected="true" height="20"/></VerticalLayout>)");
    static_cast<COptionUI*>(pm.FindControl("a2"))->Selected(true);
    EXPECT_FALSE(static_cast<COptionUI*>(pm.FindControl("a1"))->IsSelected());
    EXPECT_TRUE(static_cast<COptionUI*>(pm.FindControl("b1"))->IsSelected());
}

TEST_F(LayoutTest, NotificationsReachVirtualWindowsAndAsyncOnesArriveLater) {
    Build(
        R"(<VerticalLayout><HorizontalLayout virtualwnd="page" height="30"><Button name="go"/></HorizontalLayout>
               <Button name="other" height="30"/></VerticalLayout>)");
    CNotifyPump main, page;
    std::vector<std::string> seen;
    main.AddVirtualWnd("PAGE", &page);
    main.OnNotify("click",
                  [&](TNotifyUI& msg) { seen.push_back("main:" + msg.pSender->GetName()); });
    page.OnNotify("click", "go",
                  [&](TNotifyUI& msg) { seen.push_back("page:" + msg.pSender->GetName()); });
    struct Forward : INotifyUI {
        CNotifyPump* pump;
        void Notify(TNotifyUI& msg) override { pump->NotifyPump(msg); }
    } forward;
    forward.pump = &main;
    pm.AddNotifier(&forward);
    pm.SendNotify(pm.FindControl("go"), kNotifyClick);
    pm.SendNotify(pm.FindControl("other"), kNotifyClick);
    pm.SendNotify(pm.FindControl("other"), kNotifyClick, 0, 0, true);
    EXPECT_EQ(seen, (std::vector<std::string>{"page:go", "main:other"}));
    pm.ProcessAsyncNotify();
    EXPECT_EQ(seen.size(), 3u);
    // A control deleted before its queued notification is delivered drops it.
    pm.SendNotify(pm.FindControl("other"), kNotifyClick, 0, 0, true);
    static_cast<CContainerUI*>(pm.GetRoot())->Remove(pm.FindControl("other"));
    pm.ProcessDelayedCleanup();
    pm.ProcessAsyncNotify();
    EXPECT_EQ(seen.size(), 3u);
    pm.RemoveNotifier(&forward);
}

// Records what a tree paints, to compare states.
class RecordingRender : public IRender {
  public:
    void PushClip(const UiRect&) override {}
    void PopClip() override {}
    void FillRect(const UiRect& rect, UiColor color) override { fills.push_back({rect, color}); }
    void DrawBorder(const UiRect&, UiColor, int, UiSize) override {}
    void DrawLine(UiPoint, UiPoint, UiColor, int) override {}
    void FillEllipse(const UiRect&, UiColor) override {}
    void FillPie(const UiRect&, double, double, UiColor) override {}
    bool DrawImage(const UiRect&, const ImageDrawInfo& image) override {
        images.push_back(image.file);
        return true;
    }
    bool DrawTintedImage(const UiRect&, const ImageDrawInfo&, std::uint32_t, int, bool) override {
        return true;
    }
    void DrawText(const UiRect&, std::string_view text, UiColor, int, unsigned) override {
        texts.emplace_back(text);
    }
    UiSize MeasureText(std::string_view text, int) override { return EstimateTextSize(text, 12); }

    std::vector<std::pair<UiRect, UiColor>> fills;
    std::vector<std::string> images;
    std::vector<std::string> texts;
};

TEST_F(LayoutTest, PaintingShowsStatesAndLeavesHiddenPagesOut) {
    Build(R"(<TabLayout><VerticalLayout>
               <Option name="on" selected="true" height="20" bkcolor="#FF111111" selectedbkcolor="#FF00FF00" text="On"
                       selectedimage="file='on.png' source='0,0,10,10'"/>
               <Option name="off" height="20" bkcolor="#FF111111" selectedbkcolor="#FF00FF00" text="Off"/>
             </VerticalLayout><Label text="hidden page"/></TabLayout>)");
    RecordingRender render;
    pm.Paint(render, {0, 0, 400, 300});
    ASSERT_EQ(render.fills.size(), 2u);
    EXPECT_EQ(render.fills[0].second, 0xFF00FF00u);
    EXPECT_EQ(render.fills[1].second, 0xFF111111u);
    EXPECT_EQ(render.images, std::vector<std::string>{"on.png"});
    EXPECT_EQ(render.texts, (std::vector<std::string>{"On", "Off"}));
}

TEST(AttributeValuesTest, ParsersTakeWhatTheyCanAndStayInRange) {
    EXPECT_EQ(ParseColor("#FF102030"), 0xFF102030u);
    EXPECT_EQ(ParseColor("#102030"), 0xFF102030u);  // six digits are opaque
    EXPECT_EQ(ParseColor("0x80ABCDEF"), 0x80ABCDEFu);
    EXPECT_EQ(ParseColor("nonsense"), 0u);
    EXPECT_EQ(ParseRect("1, 2,3 ,4"), (UiRect{1, 2, 3, 4}));
    EXPECT_EQ(ParseRect("5"), (UiRect{5, 0, 0, 0}));
    EXPECT_EQ(ParseInt("-12px"), -12);
    EXPECT_EQ(ParseInt("99999999999999999999"), 1'000'000);
    ImageDrawInfo image =
        ParseImageString("file='a b.png' source='0,0,8,8' fade='300' mask='#FF00FF'");
    EXPECT_TRUE(image.valid);
    EXPECT_EQ(image.file, "a b.png");
    EXPECT_EQ(image.fade, 255);
    EXPECT_EQ(image.mask, 0xFFFF00FFu);
    EXPECT_EQ(ParseImageString("plain.png").file, "plain.png");
    EXPECT_FALSE(ParseImageString("source='0,0,1,1'").valid);
    EXPECT_FALSE(ParseImageString("file='unterminated").valid);
}

TEST(ColorPaletteTest, ColoursSurviveTheRoundTripThroughHueSaturationBrightness) {
    for (UiColor color : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFE0483Eu, 0xFF808080u,
                          0xFF000000u, 0xFFFFFFFFu, 0xFF123456u}) {
        EXPECT_EQ(HsbToRgb(RgbToHsb(color)), color) << std::hex << color;
    }
    CColorPaletteUI palette;
    palette.SetSelectColor(0xFF3060C0);
    EXPECT_EQ(palette.GetSelectColor(), 0xFF3060C0u);
}

}  // namespace
}  // namespace vivori::ui
