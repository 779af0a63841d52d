#include <gtest/gtest.h>

#include "button/command_core.h"
#include "fake_host.h"
#include "startup/corvalinth_b.h"

namespace corvalinth::button {
namespace {

using button::testing::FakeHost;
using P = StatePicture;

FontObject Font(const wchar_t* name, double size)
{
    return std::make_shared<FontDesc>(FontDesc{name, size, 400, false, false, false, 128});
}

// A control just placed into a container: never loaded, all fields zero.
TEST(CommandProperties, FirstReadOfEnabledCompletesTheFirstRun)
{
    FakeHost host;
    CommandCore c(host);
    c.SetFontColour(0x0000FF);  // disabled: nothing painted, the colour is kept
    EXPECT_TRUE(host.paints.empty());
    host.Forget();

    EXPECT_EQ(c.GetEnabled(), kTrue);
    EXPECT_EQ(c.Fields().mFirstRun, 1);
    EXPECT_EQ(c.Fields().mEnabled, kTrue);
    EXPECT_EQ(host.Pictures(), std::vector<P>{P::Normal});
    EXPECT_EQ(c.LblMsg().foreColour, 0x0000FF);
    EXPECT_TRUE(c.LblMsg().enabled);

    // Later reads repaint too, but change nothing else.
    EXPECT_EQ(c.GetEnabled(), kTrue);
    EXPECT_EQ(host.paints.size(), 2u);
}

TEST(CommandProperties, RefreshOnAnEnabledFirstRunControlBlackensTheCaption)
{
    FakeHost host;
    CommandCore c(host);
    c.SetEnabled(kTrue);  // still mFirstRun 0
    c.SetFontColour(0x00FF00);
    EXPECT_EQ(c.LblMsg().foreColour, 0);
    c.Fields().mFirstRun = 1;
    c.SetFontColour(0x00FF00);
    EXPECT_EQ(c.LblMsg().foreColour, 0x00FF00);
    EXPECT_EQ(c.GetFontColour(), 0x00FF00);
}

TEST(CommandProperties, EnabledPassedAsBooleanAndRepaintsWhateverTheState)
{
    FakeHost host;
    CommandCore c(host);
    c.SetEnabled(1);  // any non-zero value is True
    EXPECT_EQ(c.Fields().mEnabled, kTrue);
    c.Fields().mFirstRun = 1;
    c.Fields().mState = kHover;
    host.Forget();

    EXPECT_EQ(c.GetEnabled(), kTrue);
    EXPECT_EQ(host.Pictures(), std::vector<P>{P::Normal});
    EXPECT_EQ(c.Fields().mState, kHover);

    c.SetEnabled(kFalse);
    EXPECT_EQ(host.Pictures(), (std::vector<P>{P::Normal, P::Disable}));
    EXPECT_EQ(c.Fields().mState, kHover);
    EXPECT_FALSE(c.LblMsg().enabled);
    EXPECT_EQ(host.changed, std::vector<std::wstring>{L"Enabled"});

    // Disabled: refreshes paint nothing, a resize or a read of Enabled shows Disable.
    host.Forget();
    c.GetFontColour();
    c.SetVisible(1);
    c.UserControl_Resize();
    EXPECT_EQ(c.GetEnabled(), kFalse);
    EXPECT_EQ(host.Pictures(), (std::vector<P>{P::Disable, P::Disable}));
}

TEST(CommandProperties, VisibleIsTheBackgroundStyle)
{
    FakeHost host;
    CommandCore c(host);
    c.SetEnabled(kTrue);
    c.Fields().mFirstRun = 1;
    for (std::uint8_t v : {std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{255}}) {
        c.SetVisible(v);
        EXPECT_EQ(c.GetVisible(), 255) << int{v};
        EXPECT_EQ(c.BackStyle(), 1);
    }
    host.Forget();
    c.SetVisible(0);
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(c.GetVisible(), 0);
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(host.changed, std::vector<std::wstring>{L"Visible"});
}

TEST(CommandProperties, CaptionAndFontChangeTheLabelWithoutRepaintingTheFace)
{
    FakeHost host;
    CommandCore c(host);
    c.SetEnabled(kTrue);
    host.Forget();
    const FontObject gothic = Font(L"ＭＳ Ｐゴシック", 9.75);
    c.SetCaption(L"設定");
    c.SetFont(gothic);
    EXPECT_EQ(c.GetCaption(), L"設定");
    EXPECT_EQ(c.GetFont(), gothic);  // the same object, shared
    gothic->size = 12;
    EXPECT_EQ(c.GetFont()->size, 12);
    EXPECT_TRUE(host.paints.empty());
    EXPECT_EQ(host.changed, (std::vector<std::wstring>{L"Caption", L"Font"}));
}

TEST(CommandProperties, InvalidFontColourIsRefusedAndNotMarkedChanged)
{
    FakeHost host;
    CommandCore c(host);
    c.SetEnabled(kTrue);
    c.Fields().mFirstRun = 1;
    c.SetFontColour(0x123456);
    host.Forget();
    c.SetFontColour(0x01000000);
    c.SetFontColour(-1);
    EXPECT_EQ(c.LblMsg().foreColour, 0x123456);
    EXPECT_TRUE(host.changed.empty());
    EXPECT_EQ(host.paints.size(), 2u);  // the refresh still runs
    c.SetFontColour(static_cast<std::int32_t>(0x80000012u));  // a system colour
    EXPECT_EQ(c.LblMsg().foreColour, static_cast<std::int32_t>(0x80000012u));
}

TEST(CommandProperties, LoadingFromAnEmptyBagGivesTheDefaults)
{
    FakeHost host;
    CommandCore c(host);
    c.UserControl_ReadProperties(PropertyBag{});
    EXPECT_EQ(c.Fields().mEnabled, kTrue);
    EXPECT_EQ(c.GetCaption(), L"Command1");
    ASSERT_TRUE(c.GetFont());
    EXPECT_EQ(*c.GetFont(), *host.ambient);
    EXPECT_EQ(c.Fields().mFirstRun, 1);
    EXPECT_EQ(c.LblMsg().foreColour, 0);
    EXPECT_EQ(c.BackStyle(), 1);
    EXPECT_EQ(host.Pictures(), std::vector<P>{P::Normal});
}

TEST(CommandProperties, ButtonAtRestStoresOnlyCaptionAndFont)
{
    FakeHost host;
    CommandCore c(host);
    c.UserControl_ReadProperties(PropertyBag{});
    c.SetCaption(L"ｷｬﾝｾﾙ");
    c.SetFont(Font(L"ＭＳ Ｐゴシック", 9.75));
    PropertyBag bag;
    c.UserControl_WriteProperties(bag);
    ASSERT_EQ(bag.Entries().size(), 2u);
    EXPECT_EQ(bag.Entries()[0].first, L"Caption");
    EXPECT_EQ(bag.Entries()[1].first, L"Font");

    FakeHost host2;
    CommandCore reloaded(host2);
    reloaded.UserControl_ReadProperties(bag);
    EXPECT_EQ(reloaded.GetCaption(), L"ｷｬﾝｾﾙ");
    EXPECT_EQ(*reloaded.GetFont(), *c.GetFont());
}

TEST(CommandProperties, CaptionCommandComesBackAsCommand1)
{
    for (const wchar_t* caption : {L"Command", L"Command1", L"command", L""}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(caption)));
        FakeHost host;
        CommandCore c(host);
        c.UserControl_ReadProperties(PropertyBag{});
        c.SetCaption(caption);
        PropertyBag bag;
        c.UserControl_WriteProperties(bag);
        CommandCore reloaded(host);
        reloaded.UserControl_ReadProperties(bag);
        const std::wstring want = std::wstring(caption) == L"Command" ? L"Command1" : caption;
        EXPECT_EQ(reloaded.GetCaption(), want);
    }
}

TEST(CommandProperties, NonDefaultValuesSurviveAStoreAndLoad)
{
    FakeHost host;
    CommandCore c(host);
    c.UserControl_ReadProperties(PropertyBag{});
    c.SetEnabled(kFalse);
    c.SetFontColour(0x0000FF);
    c.SetVisible(0);
    c.Fields().mFirstRun = 0;
    PropertyBag bag;
    c.UserControl_WriteProperties(bag);
    std::vector<std::wstring> keys;
    for (const auto& e : bag.Entries()) keys.push_back(e.first);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"Enabled", L"Caption", L"FirstRun", L"FontColour", L"Visible"}));

    auto decoded = DecodeBag(EncodeBag(bag));
    ASSERT_TRUE(decoded);
    FakeHost host2;
    CommandCore reloaded(host2);
    reloaded.UserControl_ReadProperties(*decoded);
    EXPECT_EQ(reloaded.Fields().mEnabled, kFalse);
    EXPECT_EQ(reloaded.Fields().mFirstRun, 0);
    EXPECT_EQ(reloaded.LblMsg().foreColour, 0x0000FF);
    EXPECT_EQ(reloaded.BackStyle(), 0);
    EXPECT_EQ(reloaded.GetCaption(), L"Command1");
    EXPECT_TRUE(host2.paints.empty());  // disabled: the load's refresh paints nothing
}

TEST(CommandProperties, StoredValuesOfTheWrongKindLeaveTheirFieldsAlone)
{
    PropertyBag bag;
    bag.Store(L"Enabled", std::wstring(L"maybe"));
    bag.Store(L"FirstRun", std::int32_t{300});
    bag.Store(L"FontColour", std::wstring(L"&H1000000"));  // beyond any colour
    bag.Store(L"Visible", std::int16_t{7});
    bag.Store(L"Font", std::wstring(L"Arial"));
    bag.Store(L"Caption", std::int32_t{42});
    FakeHost host;
    CommandCore c(host);
    c.UserControl_ReadProperties(bag);
    EXPECT_EQ(c.Fields().mEnabled, kFalse);
    EXPECT_EQ(c.Fields().mFirstRun, 0);
    EXPECT_EQ(c.LblMsg().foreColour, 0);
    EXPECT_EQ(c.BackStyle(), 1);
    EXPECT_EQ(c.GetFont(), host.ambient);
    EXPECT_EQ(c.GetCaption(), L"42");
}

TEST(CommandPainting, CaptionSitsTenTwipsAboveTheMiddle)
{
    FakeHost host;
    CommandCore c(host);
    c.SetEnabled(kTrue);
    EXPECT_DOUBLE_EQ(c.LblMsg().top, 110.0);
    EXPECT_DOUBLE_EQ(c.LblMsg().width, 1395.0);
    host.height = 436;
    c.UserControl_Resize();
    EXPECT_DOUBLE_EQ(c.LblMsg().top, 110.5);
}

}  // namespace
}  // namespace corvalinth::button
