#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "GalleryWindow.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::ui {
namespace {

class Gauge : public CControlUI {
  public:
    std::string_view GetClass() const override { return "GaugeUI"; }
};

TEST(BuilderTest, CustomElementsComeFromTheFactoryOrTheCallbackWithoutCase) {
    CControlFactory::GetInstance().RegistControl("CGaugeUI", [] { return new Gauge; });
    int asked = 0;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        "<VerticalLayout><gauge name='a'/><CGAUGEUI name='b'/><Dial "
        "name='c'/><Nothing/></VerticalLayout>",
        [&](std::string_view name) -> CControlUI* {
            ++asked;
            return EqualNoCase(name, "dial") ? new Gauge : nullptr;
        });
    ASSERT_NE(root, nullptr);
    auto* layout = static_cast<CContainerUI*>(root->GetInterface("Container"));
    ASSERT_EQ(layout->GetCount(), 3);  // the unknown element is skipped
    for (int i = 0; i < 3; ++i) EXPECT_EQ(layout->GetItemAt(i)->GetClass(), "GaugeUI");
    EXPECT_EQ(asked, 2);
    delete root;
}

TEST(BuilderTest, BadLayoutsFailWithAReasonAndIncludeLoopsEnd) {
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create("<VerticalLayout><Button"), nullptr);
    EXPECT_FALSE(builder.GetLastError().empty());
    EXPECT_EQ(builder.Create("no_such_layout.xml"), nullptr);
    EXPECT_EQ(builder.Create("<Window><Font id='1'/></Window>"), nullptr);

    // A layout that includes itself stops at the nesting limit.
    std::string path = (std::filesystem::temp_directory_path() / "vivori-loop.xml").string();
    std::ofstream(path) << "<VerticalLayout><Label name='x'/><Include source='" << path
                        << "'/></VerticalLayout>";
    CControlUI* root = builder.Create(path);
    ASSERT_NE(root, nullptr);
    int labels = 0;
    root->FindControl(
        [&](CControlUI* control) -> CControlUI* {
            labels += control->GetName() == "x";
            return nullptr;
        },
        kFindAll);
    EXPECT_GT(labels, 1);
    EXPECT_LE(labels, 10);
    delete root;
    std::filesystem::remove(path);
}

TEST(BuilderTest, HostileAttributeValuesAreHarmless) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        "<VerticalLayout width='-5' childpadding='99999999999' inset='a,b,c'>"
        "<Slider min='10' max='-10' value='999'/><Progress max='0'/><Edit maxchar='-1' text='abc'/>"
        "<Label bkcolor='#zz' pos='1,2' float='true'/><Option bindtabindex='7' "
        "bindtablayoutname='none'/>"
        "</VerticalLayout>");
    ASSERT_NE(root, nullptr);
    CPaintManagerUI pm;
    pm.SetInitSize({200, 100});
    pm.AttachDialog(root);
    pm.LayoutIfNeeded();
    pm.HandleButtonDown({5, 5});
    pm.HandleButtonUp({5, 5});
    EXPECT_GE(root->GetFixedWidth(), 0);
}

TEST(MenuTest, AlignmentBitsPlaceTheMenuAroundThePoint) {
    UiRect screen{0, 0, 1000, 800};
    EXPECT_EQ(PlaceMenu({500, 400}, {100, 50}, eMenuAlignment_Left | eMenuAlignment_Top, screen),
              (UiRect{500, 400, 600, 450}));
    EXPECT_EQ(
        PlaceMenu({500, 400}, {100, 50}, eMenuAlignment_Right | eMenuAlignment_Bottom, screen),
        (UiRect{400, 350, 500, 400}));
    EXPECT_EQ(PlaceMenu({500, 400}, {100, 50}, eMenuAlignment_Top | eMenuAlignment_Right, screen),
              (UiRect{400, 400, 500, 450}));
    // Kept on the screen near its edges.
    EXPECT_EQ(PlaceMenu({980, 790}, {100, 50}, eMenuAlignment_Left | eMenuAlignment_Top, screen),
              (UiRect{900, 750, 1000, 800}));
}

TEST(MenuTest, ItemClickPostsNameUserDataAndTextToTheOwner) {
    struct Owner : MessageWindow {
        LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM) override {
            if (msg == WM_MENUCLICK) {
                std::unique_ptr<MenuCmd> command(reinterpret_cast<MenuCmd*>(wParam));
                received = command->name + "|" + command->userData + "|" + command->text;
                PostQuitMessage(0);
            }
            return 0;
        }
        std::string received;
    } owner;
    owner.CreateHandle("owner", "owner");
    auto* menu = new CMenuWnd;
    ASSERT_TRUE(
        menu->Init(owner.GetHWND(),
                   "<Menu width='150'><MenuElement name='about_menu' text='About' userdata='7'/>"
                   "<MenuElement name='exit' text='Exit'/></Menu>",
                   {100, 100}, eMenuAlignment_Left | eMenuAlignment_Top));
    HWND menuWindow = menu->GetHWND();
    EXPECT_EQ(menu->Host()->GetRect(), (UiRect{100, 100, 250, 156}));
    CPaintManagerUI& pm = menu->PaintManager();
    pm.LayoutIfNeeded();
    UiRect item = pm.FindControl("about_menu")->GetPos();
    UiPoint point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    pm.HandleButtonDown(point);
    pm.HandleButtonUp(point);
    RunMessageLoop();
    EXPECT_EQ(owner.received, "about_menu|7|About");
    PumpMessages();
    EXPECT_FALSE(IsWindow(menuWindow));  // the menu closed and deleted itself
}

TEST(WindowTest, ModalRunReturnsTheCloseResult) {
    testing::UseGalleryResources();
    testing::GalleryWindow dialog;
    ASSERT_NE(dialog.Create(0, "Dialog", 0, 0), 0u);
    dialog.OnNotify("timer", [&](TNotifyUI&) { dialog.Close(42); });
    dialog.PaintManager().FindControl("plain_label")->SetTimer(1, 5);
    EXPECT_EQ(dialog.ShowModal(), 42u);
    EXPECT_EQ(dialog.GetHWND(), 0u);
}

}  // namespace
}  // namespace vivori::ui
