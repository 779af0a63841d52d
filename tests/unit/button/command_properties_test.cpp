#include <gtest/gtest.h>

#include "button/command_core.h"
#include "fake_host.h"
#include "core/corvalinth_b.h"

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

// A control loaded from a bag, with the host it paints through.
struct Loaded {
    explicit Loaded(const PropertyBag& bag) { c.UserControl_ReadProperties(bag); }
    FakeHost host;
    CommandCore c{host};
};

PropertyBag Stored(CommandCore& c)
{
    PropertyBag bag;
    c.UserControl_WriteProperties(bag);
    return bag;
}

std::vector<std::wstring> Keys(const PropertyBag& bag)
{
    std::vector<std::wstring> keys;
    for (const auto& e : bag.Entries()) keys.push_back(e.first);
    return keys;
}

TEST(CommandProperties, ButtonAtRestStoresOnlyCaptionAndFontAndCommandComesBackAsCommand1)
{
    Loaded at{PropertyBag{}};
    at.c.SetCaption(L"ｷｬﾝｾﾙ");
    at.c.SetFont(Font(L"ＭＳ Ｐゴシック", 9.75));
    const PropertyBag bag = Stored(at.c);
    EXPECT_EQ(Keys(bag), (std::vector<std::wstring>{L"Caption", L"Font"}));
    const Loaded reloaded(bag);
    EXPECT_EQ(reloaded.c.GetCaption(), L"ｷｬﾝｾﾙ");
    EXPECT_EQ(*reloaded.c.GetFont(), *at.c.GetFont());

    for (const wchar_t* caption : {L"Command", L"Command1", L"command", L""}) {
        at.c.SetCaption(caption);
        const std::wstring want = std::wstring(caption) == L"Command" ? L"Command1" : caption;
        EXPECT_EQ(Loaded(Stored(at.c)).c.GetCaption(), want) << ::testing::PrintToString(std::wstring(caption));
    }
}

TEST(CommandProperties, NonDefaultValuesSurviveAStoreAndLoad)
{
    Loaded at{PropertyBag{}};
    at.c.SetEnabled(kFalse);
    at.c.SetFontColour(0x0000FF);
    at.c.SetVisible(0);
    at.c.Fields().mFirstRun = 0;
    const PropertyBag bag = Stored(at.c);
    EXPECT_EQ(Keys(bag), (std::vector<std::wstring>{L"Enabled", L"Caption", L"FirstRun", L"FontColour", L"Visible"}));

    const Loaded reloaded(bag);
    EXPECT_EQ(reloaded.c.Fields().mEnabled, kFalse);
    EXPECT_EQ(reloaded.c.Fields().mFirstRun, 0);
    EXPECT_EQ(reloaded.c.LblMsg().foreColour, 0x0000FF);
    EXPECT_EQ(reloaded.c.BackStyle(), 0);
    EXPECT_EQ(reloaded.c.GetCaption(), L"Command1");
    EXPECT_TRUE(reloaded.host.paints.empty());  // disabled: the load's refresh paints nothing
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

}  // namespace
}  // namespace corvalinth::button
