#include "kernova/service/CServiceError.h"

#include "kernova/service/ServiceRecords.h"

namespace {

struct Texts {
    const char16_t* ja;
    const char* en;
};

Texts TextsOf(CServiceError::Code code) {
    switch (code) {
    case CServiceError::None:
        return {u"エラーはありません", "no error"};
    case CServiceError::NoService:
        return {u"サービスがありません: %1", "no service in %1"};
    case CServiceError::ServiceExists:
        return {u"サービスはすでにあります: %1", "a service already exists in %1"};
    case CServiceError::Database:
        return {u"サービスのデータベースでエラーが起きました: %1", "service database error: %1"};
    case CServiceError::Busy:
        return {u"サービスが混み合っています。しばらくしてからやり直してください",
                "the service is busy; try again later"};
    case CServiceError::NotLoggedOn:
        return {u"ログオンしていません", "not logged on"};
    case CServiceError::BadLogon:
        return {u"メンバー ID またはパスワードが違います", "wrong member ID or password"};
    case CServiceError::BadId:
        return {u"ID が正しくありません: \"%1\"", "malformed ID: \"%1\""};
    case CServiceError::BadPassword:
        return {u"パスワードは 1 文字以上 %1 文字以内で指定してください",
                "a password must have 1 to %1 characters"};
    case CServiceError::UnknownMember:
        return {u"メンバーが見つかりません: %1", "unknown member: %1"};
    case CServiceError::UnknownGroup:
        return {u"グループが見つかりません: %1", "unknown group: %1"};
    case CServiceError::UnknownRole:
        return {u"役割が見つかりません: %1", "unknown role: %1"};
    case CServiceError::UnknownMessage:
        return {u"メッセージが見つかりません: %1", "unknown message: %1"};
    case CServiceError::DuplicateMember:
        return {u"メンバーはすでに登録されています: %1", "member already exists: %1"};
    case CServiceError::DuplicateGroup:
        return {u"グループはすでにあります: %1", "group already exists: %1"};
    case CServiceError::DuplicateMembership:
        return {u"すでにグループのメンバーです: %1", "already a member of the group: %1"};
    case CServiceError::DuplicateMessage:
        return {u"同じ ID のメッセージがすでにあります: %1", "duplicate message ID: %1"};
    case CServiceError::NotMember:
        return {u"グループのメンバーではありません: %1", "not a member of the group: %1"};
    case CServiceError::NoMembership:
        return {u"グループにそのメンバーはいません: %1", "no such membership: %1"};
    case CServiceError::SubjectTooLong:
        return {u"件名が長すぎます (%1 文字まで)", "subject too long (at most %1 characters)"};
    case CServiceError::BodyTooLarge:
        return {u"本文が大きすぎます (%1 バイトまで)", "body too large (at most %1 bytes)"};
    case CServiceError::FieldTooLong:
        return {u"項目が長すぎます: %1", "field too long: %1"};
    case CServiceError::NoDestination:
        return {u"宛先がありません", "no destination"};
    case CServiceError::TooManyDestinations:
        return {u"宛先が多すぎます (%1 件まで)", "too many destinations (at most %1)"};
    case CServiceError::BadParent:
        return {u"グループを自分の下に置くことはできません: %1",
                "a group cannot be placed below itself: %1"};
    case CServiceError::UnknownChat:
        return {u"会議が見つかりません: %1", "unknown chat: %1"};
    case CServiceError::NotInChat:
        return {u"この会議には参加していません: %1", "not taking part in chat %1"};
    case CServiceError::NotInvited:
        return {u"この会議への参加依頼はありません: %1", "no pending invitation to chat %1"};
    case CServiceError::ChatClosed:
        return {u"会議は終了しています: %1", "chat %1 has ended"};
    case CServiceError::ChatRoomLimit:
        return {u"参加できる会議の数 (%1) を超えています",
                "already taking part in the most chats allowed (%1)"};
    case CServiceError::ChatMemberLimit:
        return {u"会議の参加メンバー数 (%1 人) を超えています",
                "the chat would have more than %1 participants"};
    case CServiceError::AlreadyInChat:
        return {u"すでに会議に参加しているか依頼済みです: %1",
                "already invited or taking part: %1"};
    case CServiceError::MemberOffline:
        return {u"メンバーがオンラインではありません: %1", "member is not on line: %1"};
    case CServiceError::AttachmentsTooLarge:
        return {u"添付ファイルの合計が大きすぎます (%1 バイトまで)",
                "attached files too large together (at most %1 bytes)"};
    case CServiceError::TooManyAttachments:
        return {u"添付ファイルが多すぎます (%1 個まで)", "too many attached files (at most %1)"};
    case CServiceError::BadAttachmentName:
        return {u"添付ファイルの名前が正しくありません: \"%1\"",
                "malformed attachment name: \"%1\""};
    case CServiceError::UnknownAttachment:
        return {u"添付ファイルが見つかりません: %1", "unknown attachment: %1"};
    case CServiceError::BadText:
        return {u"保存できない文字が含まれています: %1", "characters that cannot be stored: %1"};
    case CServiceError::Damaged:
        return {u"サービスのデータベースが壊れています: %1", "the service database is damaged: %1"};
    case CServiceError::Unreachable:
        return {u"サーバーに接続できません: %1", "cannot reach the server: %1"};
    case CServiceError::BadCertificate:
        return {u"サーバーの証明書を確認できないため接続しませんでした: %1",
                "the server's certificate was refused: %1"};
    case CServiceError::NoAnswer:
        return {u"サーバーから時間内に応答がありません: %1", "no answer from the server in time: %1"};
    case CServiceError::NoUpload:
        return {u"サーバーに添付ファイルを受け付けるサービスがないため、添付ファイルは送れません"
                u"。本文だけのメッセージは送れます: %1",
                "the server offers no upload of attached files (messages without files still "
                "go): %1"};
    case CServiceError::NoDirectory:
        return {u"サーバーにメンバーの名簿がありません: %1", "no member directory on the server: %1"};
    }
    return {u"不明なエラー", "unknown error"};
}

QString Fill(QString text, const QString& argument) {
    return text.contains(QLatin1String("%1")) ? text.arg(argument) : text;
}

} // namespace

QString CServiceError::Text() const {
    return Fill(QString::fromUtf16(TextsOf(m_code).ja), m_argument);
}

QString CServiceError::EnglishText() const {
    return Fill(QString::fromLatin1(TextsOf(m_code).en), m_argument);
}
