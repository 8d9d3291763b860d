// Numbers of the chat plug-in's texts in the core's resource module.
#pragma once

#include <cstdint>

namespace ParloText {
constexpr uint32_t Caption = 1500;
constexpr uint32_t TooManyRooms = 1501; // %d
constexpr uint32_t NoRoom = 1502;
constexpr uint32_t TooManyMembers = 1503; // %d
constexpr uint32_t InviteQuestion = 1504;
constexpr uint32_t Yes = 1505;
constexpr uint32_t No = 1506;
constexpr uint32_t SaveQuestion = 1507;
constexpr uint32_t HeaderStart = 1508;
constexpr uint32_t HeaderMembers = 1509;
constexpr uint32_t PrintedAt = 1510;
constexpr uint32_t PageFooter = 1511; // %d
constexpr uint32_t AllFiles = 1512;
constexpr uint32_t MenuFile = 1513;
constexpr uint32_t Save = 1514;
constexpr uint32_t Print = 1515;
constexpr uint32_t PrintPreview = 1516;
constexpr uint32_t Close = 1517;
constexpr uint32_t MenuEdit = 1518;
constexpr uint32_t Undo = 1519;
constexpr uint32_t Cut = 1520;
constexpr uint32_t Copy = 1521;
constexpr uint32_t Paste = 1522;
constexpr uint32_t SelectAll = 1523;
constexpr uint32_t MenuHelp = 1524;
constexpr uint32_t Help = 1525;
constexpr uint32_t Version = 1526;
constexpr uint32_t NewMessage = 1527;
constexpr uint32_t NewMessageToAll = 1528;
constexpr uint32_t Properties = 1529;
constexpr uint32_t Send = 1530;
constexpr uint32_t TextColor = 1531;
constexpr uint32_t WindowTitle = 1532; // %s
constexpr uint32_t ParticipantList = 1533;
constexpr uint32_t InviteTitle = 1534;
constexpr uint32_t SaveFailed = 1535; // %s
constexpr uint32_t SaveTitle = 1536;
constexpr uint32_t OptionTitle = 1537;
constexpr uint32_t PositionGroup = 1538;
constexpr uint32_t PositionCenter = 1539; // .. 1543, in MessagePosition order
constexpr uint32_t DefaultsGroup = 1544;
constexpr uint32_t ListSide = 1545;
constexpr uint32_t Left = 1546;
constexpr uint32_t Right = 1547;
constexpr uint32_t DefaultFont = 1548;
constexpr uint32_t TimeoutGroup = 1549;
constexpr uint32_t AloneTimeout = 1550;
constexpr uint32_t EntryTimeout = 1551;
constexpr uint32_t EntryToneGroup = 1552;
constexpr uint32_t TalkToneGroup = 1553;
constexpr uint32_t ToneBuiltIn = 1554;
constexpr uint32_t ToneFile = 1555;
constexpr uint32_t ToneNone = 1556;
constexpr uint32_t Browse = 1557;
constexpr uint32_t Listen = 1558;
constexpr uint32_t LogGroup = 1559;
constexpr uint32_t LogAsk = 1560;
constexpr uint32_t Ok = 1561;
constexpr uint32_t Cancel = 1562;
constexpr uint32_t Defaults = 1563;
constexpr uint32_t BadValue = 1564;
constexpr uint32_t SoundFiles = 1565;
constexpr uint32_t LogFolderTitle = 1566;
constexpr uint32_t FaceList = 1567;
constexpr uint32_t SizeList = 1568;
constexpr uint32_t DropTip = 1569;
constexpr uint32_t First = 1500;
constexpr uint32_t Last = 1569;
} // namespace ParloText
