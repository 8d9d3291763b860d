// The outcome of a failed service call: a code for the program, an argument naming what was
// wrong (an id, a limit), and texts for people in Japanese and in English.
#pragma once

#include <QString>

class CServiceError {
public:
    enum Code {
        None = 0,
        NoService,     // the service directory holds no service
        ServiceExists, // creating a service where one already is
        Database,      // the database refused or failed (argument: driver text)
        Busy,          // another process held the database too long
        NotLoggedOn,
        BadLogon,       // unknown member or wrong password (not told apart on purpose)
        BadId,          // empty or malformed id (argument: the id)
        BadPassword,    // empty or too long password
        UnknownMember,  // argument: member id
        UnknownGroup,   // argument: group id
        UnknownRole,    // argument: role number
        UnknownMessage, // argument: message id
        DuplicateMember,
        DuplicateGroup,
        DuplicateMembership,
        DuplicateMessage,
        NotMember,    // the user is not a member of the group (argument: group id)
        NoMembership, // argument: "group/member"
        SubjectTooLong,
        BodyTooLarge,
        FieldTooLong, // argument: field name
        NoDestination,
        TooManyDestinations,
        BadParent,           // a group cannot move below itself (argument: group id)
        UnknownChat,         // argument: chat number
        NotInChat,           // the user takes no part in the chat (argument: chat number)
        NotInvited,          // no pending invitation of the user (argument: chat number)
        ChatClosed,          // every participant has left (argument: chat number)
        ChatRoomLimit,       // the user takes part in too many chats (argument: the limit)
        ChatMemberLimit,     // the chat would have too many participants (argument: the limit)
        AlreadyInChat,       // invited or taking part already (argument: member id)
        MemberOffline,       // argument: member id
        AttachmentsTooLarge, // argument: the limit in bytes
        TooManyAttachments,  // argument: the limit
        BadAttachmentName,   // empty or too long (argument: the name)
        UnknownAttachment,   // argument: "message/index"
        BadText,             // U+0000 or a broken surrogate pair (argument: field name)
        Damaged,             // the database file is damaged (argument: driver text or path)
        // Network service:
        Unreachable,    // no connection to the server (argument: host:port and the reason)
        BadCertificate, // the server's certificate was refused (argument: the domain)
        NoAnswer,       // the server did not answer in time (argument: host:port)
        NoDirectory,    // the server holds no member directory (argument: node and service)
        NoUpload,       // the server offers no upload of attached files (argument: service)
    };

    CServiceError() = default;
    CServiceError(Code code, QString argument = {})
        : m_code(code), m_argument(std::move(argument)) {}

    Code code() const { return m_code; }
    const QString& argument() const { return m_argument; }
    bool IsError() const { return m_code != None; }

    QString Text() const;        // Japanese, for the user
    QString EnglishText() const; // for logs and the command-line tool

private:
    Code m_code = None;
    QString m_argument;
};
