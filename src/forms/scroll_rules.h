#pragma once
// What a horizontal scroll bar does with each kind of user action: the value it
// moves to and the event it raises. Kept apart from the window code so the
// steps and the range can be checked anywhere.
namespace corvalinth::forms {

enum class ScrollAction {
    LineLeft,       // the left arrow, or the Left key
    LineRight,
    PageLeft,       // a click in the track, or Page Up
    PageRight,
    ThumbTrack,     // the thumb is being dragged
    ThumbPosition,  // the thumb was let go
    Left,           // Home
    Right,          // End
    EndScroll,      // the end of any of the above
};

enum class ScrollEvent { None, Change, Scroll };

struct ScrollRange {
    int min = 0, max = 32767, smallChange = 1, largeChange = 1;
};

struct ScrollOutcome {
    int value;
    ScrollEvent event;
};

// A value outside the range is brought to its nearest end.
int ClampToRange(const ScrollRange& range, int value);

// `thumb` is the thumb's position for the two thumb actions, ignored otherwise.
// Dragging raises Scroll whenever the value moves; letting go, like every step
// that moves the value, raises Change.
ScrollOutcome ApplyScroll(const ScrollRange& range, int value, ScrollAction action, int thumb = 0);

}  // namespace corvalinth::forms
