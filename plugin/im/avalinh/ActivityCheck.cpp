#include "plugin/im/avalinh/ActivityCheck.h"

tagACTIVITYVERDICT CheckActivityInput(const tagACTIVITYINPUT& input, tagACTIVITYPOS last,
                                      bool hasWindow) {
    if (!hasWindow)
        return {false, last};
    if (input.source == ActivitySourceKeyboard)
        return {true, last};

    switch (input.message) {
    case ActivityMsg::MouseMove:
    case ActivityMsg::NcMouseMove: {
        const bool known = last.x != -1 && last.y != -1;
        const bool moved = input.x != last.x || input.y != last.y;
        return {known && moved, tagACTIVITYPOS{input.x, input.y}};
    }
    case ActivityMsg::KeyUp:
    case ActivityMsg::Char:
    case ActivityMsg::LButtonUp:
    case ActivityMsg::RButtonUp:
    case ActivityMsg::MButtonUp:
        return {true, last};
    default:
        return {false, last};
    }
}
