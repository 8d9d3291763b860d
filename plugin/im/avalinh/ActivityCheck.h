// The decision shared by every source of desktop input: does this input tell the IM window
// that the user is active? Pure, so that each source (and the tests) feed it the same way.
#pragma once

#include <cstdint>

// Window-message numbers that input is expressed in, whatever the platform reported.
namespace ActivityMsg {
constexpr uint32_t NcMouseMove = 0x00A0;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t Char = 0x0102;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t RButtonUp = 0x0205;
constexpr uint32_t MButtonUp = 0x0208;
constexpr uint32_t MouseWheel = 0x020A;
constexpr uint32_t XButtonUp = 0x020C;
constexpr uint32_t MouseHWheel = 0x020E;
} // namespace ActivityMsg

// Where an input came from: the keyboard source reports every key event as activity, all
// other sources go through the window-message rule.
enum tageACTIVITYSOURCE : uint8_t {
    ActivitySourceMessage = 0,
    ActivitySourceKeyboard = 1,
};

// One piece of input as a source reports it.
struct tagACTIVITYINPUT {
    tageACTIVITYSOURCE source;
    uint32_t message; // ActivityMsg number
    int32_t x;        // pointer position for moves, in the source's own coordinates
    int32_t y;
};

// The last pointer position a source saw; -1/-1 until the first move.
struct tagACTIVITYPOS {
    int32_t x = -1;
    int32_t y = -1;
};

struct tagACTIVITYVERDICT {
    bool post;           // post the activity notification
    tagACTIVITYPOS last; // the position to keep for the next input of this source
};

// Decides one input. Without a window nothing happens, not even a position update. A move
// posts only when a previous position is known and differs; the position is kept either
// way. Key up, character and left/right/middle button up always post.
tagACTIVITYVERDICT CheckActivityInput(const tagACTIVITYINPUT& input, tagACTIVITYPOS last,
                                      bool hasWindow);
