// Numbers of the core's own texts in the resource module (res/ZeltaRes.so).
#pragma once

#include <cstdint>

namespace KernovaText {
constexpr uint32_t Logon = 123;  // "ログオン": log-on dialog title, its OK button, tray menu
constexpr uint32_t Logoff = 124; // "ログオフ": tray menu
constexpr uint32_t Exit = 1061;  // "終了": tray menu
constexpr uint32_t MemberId = 2000;
constexpr uint32_t Password = 2001;
constexpr uint32_t RememberId = 2002;
constexpr uint32_t AutoLogon = 2003;
constexpr uint32_t EnterId = 2004;
constexpr uint32_t LogonFailed = 2005; // format: %s the reason
constexpr uint32_t Cancel = 2006;
constexpr uint32_t OptionTitle = 2010;
constexpr uint32_t Ok = 2011;
constexpr uint32_t Default = 2012;
constexpr uint32_t GeneralPage = 2013;
constexpr uint32_t ServiceDir = 2014;
constexpr uint32_t ServiceDirNote = 2015;
constexpr uint32_t TrayLoggedOff = 2020;
constexpr uint32_t TrayLoggedOn = 2021; // format: %s the member id
constexpr uint32_t TrayOffline = 2022;
constexpr uint32_t AuthorizeTitle = 2030;
constexpr uint32_t AuthorizePrompt = 2031; // format: %s the member id
constexpr uint32_t NoticeTitle = 2040;
constexpr uint32_t SessionLost = 2041;
constexpr uint32_t Reconnected = 2042;        // format: %s the member id
constexpr uint32_t LoggedOnElsewhere = 2043;  // format: %s the member id
constexpr uint32_t MemberRemoved = 2044;      // format: %s the member id
constexpr uint32_t UserDirUnwritable = 2045;  // format: %s the folder
constexpr uint32_t ServiceUnreachable = 2046; // format: %s the folder, %s the service's reason
constexpr uint32_t ServiceKind = 2050;
constexpr uint32_t ServiceKindLocal = 2051;
constexpr uint32_t ServiceKindNetwork = 2052;
constexpr uint32_t ServiceHost = 2053;
constexpr uint32_t ServicePort = 2054;
constexpr uint32_t ServiceDomain = 2055;
constexpr uint32_t ServiceDomainNote = 2056;
constexpr uint32_t ServiceHostMissing = 2057;
constexpr uint32_t ServiceOverridden = 2058; // format: %s the variable
} // namespace KernovaText
