// Command ids of the IM window (shared by menus, toolbar, accelerators and buttons) and the
// numbers of the texts and images it loads from the core's resource module.
#pragma once

#include <cstdint>

namespace AvalinCmd {
// Large buttons.
constexpr int NewMessageButton = 4003;
constexpr int MessageBoxButton = 4005;
constexpr int ChatButton = 4007;
constexpr int StatusChangeButton = 4009;

constexpr int NewMessage = 32919;
constexpr int MessageBox = 32894;
constexpr int Chat = 32953;
constexpr int FreeInput = 32907;
// Presets F2 .. F12; F2 and F3 are swapped against the run of numbers.
constexpr int PresetF2 = 32909;
constexpr int PresetF3 = 32908;
constexpr int PresetF4 = 32910;
constexpr int PresetF12 = 32918;
constexpr int PresetList = 32956;
constexpr int Logon = 32896;
constexpr int OptionGeneral = 32926;
constexpr int OptionPresence = 32927;
constexpr int OptionMessage = 32928;
constexpr int OptionChat = 32954;
constexpr int OptionNotify = 32929;
constexpr int Close = 57602;
constexpr int Exit = 32897;
constexpr int Order = 32898;
constexpr int SortName = 32899;
constexpr int SortOnOff = 32906;
constexpr int SortStatus = 32900;
constexpr int SortID = 32901;
constexpr int SortDate = 32902;
constexpr int SortFrom = 32903;
constexpr int SortTo = 32905;
constexpr int SortSubject = 32904;
constexpr int Property = 32931;
constexpr int MyProperty = 32947;
constexpr int SelectChat = 32952;
constexpr int SelectMessage = 32955;
constexpr int OnNettersMessage = 32932;
constexpr int SettingSound = 32933;
constexpr int Reply = 32920;
constexpr int ReEdit = 32921;
constexpr int ReplyAll = 32945;
constexpr int Open = 32942;
constexpr int Transfer = 32943;
constexpr int Clear = 32922;
constexpr int ClearAll = 32944;
constexpr int Help = 32923;
constexpr int Version = 32924;
constexpr int WebSite = 32940;
constexpr int OpenWindow = 32946;
constexpr int StatusMenu = 32948;
constexpr int SettingMenu = 32925;
constexpr int NextControl = 32949;
constexpr int PrevControl = 32950;
constexpr int PressFocused = 32951;

// The preset index (0 .. 10) of a preset command, or -1.
constexpr int PresetIndex(int command) {
    if (command == PresetF2)
        return 0;
    if (command == PresetF3)
        return 1;
    if (command >= PresetF4 && command <= PresetF12)
        return command - PresetF4 + 2;
    return -1;
}
constexpr int PresetCommand(int index) {
    return index == 0 ? PresetF2 : index == 1 ? PresetF3 : PresetF4 + index - 2;
}
} // namespace AvalinCmd

// Numbered texts and images of the core's resource module.
namespace AvalinRes {
constexpr uint32_t WindowIcon = 102;     // of the core's own resource module
constexpr uint32_t ExpanderImages = 103; // blank, expanded, collapsed
constexpr uint32_t DragImages = 104;     // by drag kind
constexpr uint32_t TabImages = 105;
constexpr uint32_t ColourSwatches = 338;   // green, yellow, red
constexpr uint32_t StatusDialogIcon = 233; // icon

constexpr uint32_t TextLogon = 123;
constexpr uint32_t TextLogoff = 124;
constexpr uint32_t TextImWindow = 127;
constexpr uint32_t TextPresetKey = 143; // .. 153: "\tF2" .. "\tF12"
constexpr uint32_t TextMembersTab = 167;
constexpr uint32_t TextNewTab = 168;
constexpr uint32_t TextSentTab = 169;
constexpr uint32_t TextSubjectColumn = 170;
constexpr uint32_t TextFromColumn = 171;
constexpr uint32_t TextDateColumn = 172;
constexpr uint32_t TextYesterday = 192;
constexpr uint32_t TextCcLabel = 193;
constexpr uint32_t TextBccLabel = 194;
constexpr uint32_t TextGreen = 226;
constexpr uint32_t TextYellow = 227;
constexpr uint32_t TextRed = 228;
constexpr uint32_t TextWindowTitle = 251;
constexpr uint32_t TextStatusBox = 258;
constexpr uint32_t TextRangeError = 274;
constexpr uint32_t TextClearQuestion = 275;
constexpr uint32_t TextClearAllQuestion = 276;
constexpr uint32_t TextAbsentStatus = 287;
constexpr uint32_t TextUrlCaption = 288;
constexpr uint32_t TextUrlQuestion = 289;
constexpr uint32_t TextBusy = 305;
constexpr uint32_t TextOffline = 308;
constexpr uint32_t TextLogoffQuestion = 324;
constexpr uint32_t TextOfflineNoChat = 337;
constexpr uint32_t TextPresetName = 346; // .. 356: "F2" .. "F12"
constexpr uint32_t TextNeedsLogon = 357;
constexpr uint32_t TextToColumn = 1069;
constexpr uint32_t TextOk = 1093;
constexpr uint32_t TextCancel = 1094;
} // namespace AvalinRes

// The status colours of an own status.
namespace AvalinColour {
constexpr uint32_t Green = 0x00CCFFCC;
constexpr uint32_t Yellow = 0x00CCFFFF;
constexpr uint32_t Red = 0x00CCCCFF;
constexpr uint32_t GroupRow = 0x00EEEEEE;
constexpr uint32_t Mask = 0x000A0904;
} // namespace AvalinColour
