// What each IM plug-in reports about itself in IMCBK_OnIMZpmInfo. The module number is also
// the second argument of the plug-in's settings calls and the target of OBRIX_Begin.
#pragma once

#include "obrix/ObrixApi.h"

#include <cstdint>

struct ImModuleDescriptor {
    int32_t nType;               // module number
    const char16_t* szFileName;  // file name of the plug-in
    const char16_t* szName;      // English name
    const char16_t* szLocalName; // Japanese name
};

namespace ImModules {

// Shared by every plug-in of the product.
inline constexpr const char16_t* kCompany = u"Tovar, Inc.";
inline constexpr uint32_t kVersion = 0x10001; // 1.1
inline constexpr int32_t kOrder = 0;
inline constexpr int32_t kShowLoading = 0;

inline constexpr ImModuleDescriptor Presence{ObrixModule::Presence, u"Avalin.zpm",
                                             u"IM Presence Module", u"IM ウィンドウ モジュール"};
inline constexpr ImModuleDescriptor Message{ObrixModule::Message, u"Letrix.zpm",
                                            u"IM Message Module", u"IM メッセージ モジュール"};
inline constexpr ImModuleDescriptor Chat{ObrixModule::Chat, u"Parlo.zpm", u"IM Chat Module",
                                         u"IM 会議 モジュール"};
inline constexpr ImModuleDescriptor MessageBox{ObrixModule::MessageBox, u"Trovane.zpm",
                                               u"IM Messagebox Module",
                                               u"IM メッセージボックス モジュール"};
inline constexpr ImModuleDescriptor Notify{ObrixModule::Notify, u"Pingel.zpm", u"IM Notify Module",
                                           u"IM デスクトップ通知 モジュール"};

} // namespace ImModules
