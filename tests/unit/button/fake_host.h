#pragma once
// A host that records what the control asks of the window system.
#include <string>
#include <vector>

#include "button/command_core.h"

namespace corvalinth::button::testing {

class FakeHost : public CommandHost {
public:
    struct Paint {
        StatePicture picture;
        std::int16_t highlight;
    };

    void PaintFace(StatePicture picture, CommandFields& f) override { paints.push_back({picture, f.mHighlight}); }
    void Refresh() override {}
    void CaptionChanged() override {}
    void PropertyChanged(std::wstring_view key) override { changed.emplace_back(key); }
    void RaiseClick() override { ++clicks; }
    void StartMouseTimer(int intervalMs) override { timerInterval = intervalMs; }
    double WidthTwips() const override { return 1395; }
    double HeightTwips() const override { return 435; }
    FontObject AmbientFont() const override { return ambient; }

    std::vector<StatePicture> Pictures() const
    {
        std::vector<StatePicture> out;
        for (const auto& p : paints) out.push_back(p.picture);
        return out;
    }
    void Forget()
    {
        paints.clear();
        changed.clear();
        clicks = 0;
    }

    std::vector<Paint> paints;
    std::vector<std::wstring> changed;
    int clicks = 0;
    int timerInterval = 0;
    FontObject ambient = std::make_shared<FontDesc>(FontDesc{L"Ambient Sans", 8.25, 400, false, false, false, 0});
};

}  // namespace corvalinth::button::testing
