#include "resources/gen/CImageCatalogue.h"

#include "resources/ZeltaRes.h"
#include "resources/gen/CArtwork.h"

namespace {

using A = CArtwork;
using Arrow = CArtwork::Arrow;
using Status = CArtwork::Status;

constexpr uint32_t kMask = 0x000A0904;    // the mask colour the image lists use
constexpr uint32_t kRedMask = 0x000000FF; // header sort marks use pure red

QRectF at(const QRectF& cell, qreal x, qreal y, qreal w, qreal h) {
    return QRectF(cell.left() + x, cell.top() + y, w, h);
}

CImageSpec bitmap(uint32_t id, int w, int h, int tiles, uint32_t mask, const QString& role,
                  std::function<void(QPainter&, int, const QRectF&)> draw) {
    CImageSpec s;
    s.kind = ZELTARES_BITMAP;
    s.id = id;
    s.tileWidth = w;
    s.tileHeight = h;
    s.tileCount = tiles;
    s.maskColor = mask;
    s.role = role;
    s.draw = std::move(draw);
    return s;
}

CImageSpec icon(uint32_t id, QList<int> sizes, const QString& role,
                std::function<void(QPainter&, const QRectF&)> draw) {
    CImageSpec s;
    s.kind = ZELTARES_ICON;
    s.id = id;
    s.tileWidth = s.tileHeight = sizes.last();
    s.iconSizes = std::move(sizes);
    s.role = role;
    s.draw = [draw](QPainter& p, int, const QRectF& cell) { draw(p, cell); };
    return s;
}

// Motifs shared by toolbar images and buttons, all on a 24 x 24 cell.
void newMessage24(QPainter& p, const QRectF& c) {
    A::envelope(p, at(c, 1, 8, 17, 12), false);
    A::pencil(p, at(c, 10, 1, 13, 13));
}
void reply24(QPainter& p, const QRectF& c) {
    A::envelope(p, at(c, 1, 3, 18, 13), false);
    A::arrow(p, at(c, 9, 11, 13, 11), Arrow::Reply, A::purple());
}
void forward24(QPainter& p, const QRectF& c) {
    A::envelope(p, at(c, 1, 3, 18, 13), false);
    A::arrow(p, at(c, 10, 12, 13, 10), Arrow::Forward, A::blue());
}
void messageBox24(QPainter& p, const QRectF& c) {
    A::envelope(p, at(c, 6, 2, 12, 9), false);
    A::tray(p, at(c, 2, 9, 20, 13), QColor(0x9E, 0xC5, 0xEE));
}
void status24(QPainter& p, const QRectF& c) {
    A::person(p, at(c, 3, 2, 14, 19), A::blue());
    A::badge(p, at(c, 13, 12, 10, 10), Status::OnLine);
}
void chat24(QPainter& p, const QRectF& c) {
    A::bubbles(p, at(c, 1, 2, 22, 19));
}

// One row of the message list: envelope by read state with a dog-ear, then priority and
// attachment marks in fixed columns so that the marks line up from row to row.
void messageMark(QPainter& p, int i, const QRectF& c) {
    const bool priority = i & 1, dogear = i & 2, attachment = i & 4;
    const int state = i >> 3; // 0 unread, 1 read, 2 forwarded, 3 replied
    if (state == 0)
        A::envelope(p, at(c, 1, 3, 14, 10), false, A::blue().darker(135));
    else
        A::envelope(p, at(c, 1, 1, 14, 14), true);
    if (state == 2)
        A::arrow(p, at(c, 8, 9, 8, 7), Arrow::Forward, A::blue());
    if (state == 3)
        A::arrow(p, at(c, 7, 8, 9, 8), Arrow::Reply, A::purple());
    if (dogear)
        A::dogEar(p, at(c, 10, 0, 6, 6));
    if (priority)
        A::exclamation(p, at(c, 18, 2, 4, 12), A::red());
    if (attachment)
        A::clip(p, at(c, 24, 1, 7, 14));
}

void statusTile(QPainter& p, int i, const QRectF& c) {
    static const Status order[] = {Status::OnLine,  Status::Busy,    Status::Away,
                                   Status::OffLine, Status::Meeting, Status::Phone,
                                   Status::Break,   Status::Out,     Status::Trip,
                                   Status::Remote,  Status::Focus,   Status::BackSoon};
    if (i >= 0 && i < int(std::size(order)))
        A::badge(p, at(c, 1, 1, 14, 14), order[i]);
}

} // namespace

int CImageCatalogue::statusColumns() {
    return 3;
}
int CImageCatalogue::statusRows() {
    return 4;
}

CImageSpec CImageCatalogue::statusStrip() {
    CImageSpec s = bitmap(0, 16, 16, statusColumns() * statusRows(), kMask,
                          "status.bmp: status icons by column and row (1-1 on line, 1-2 busy, "
                          "1-3 absent, 1-4 off line, 2-1 meeting, 2-2 phone, 2-3 break, 2-4 out, "
                          "3-1 trip, 3-2 remote, 3-3 focus, 3-4 back soon)",
                          statusTile);
    return s;
}

QList<CImageSpec> CImageCatalogue::all() {
    QList<CImageSpec> list;
    const QColor markGrey(0x5F, 0x6B, 0x78);

    list << bitmap(101, 8, 8, 2, kMask, "Header sort arrows without themes: up, down",
                   [=](QPainter& p, int i, const QRectF& c) {
                       A::triangle(p, at(c, 1, 2, 6, 4), i == 0 ? Arrow::Up : Arrow::Down,
                                   markGrey);
                   });
    list << bitmap(102, 11, 11, 3, kRedMask,
                   "Header sort marks of the IM window lists: blank, ascending, descending",
                   [=](QPainter& p, int i, const QRectF& c) {
                       if (i > 0)
                           A::triangle(p, at(c, 2, 3, 7, 5), i == 1 ? Arrow::Up : Arrow::Down,
                                       markGrey);
                   });
    list << bitmap(103, 16, 16, 3, kMask, "Member tree expander: blank, expanded, collapsed",
                   [=](QPainter& p, int i, const QRectF& c) {
                       if (i == 1)
                           A::triangle(p, at(c, 4, 6, 8, 5), Arrow::Down, markGrey);
                       else if (i == 2)
                           A::triangle(p, at(c, 6, 4, 5, 8), Arrow::Forward, markGrey);
                   });
    list << bitmap(104, 32, 32, 5, kMask,
                   "Drag images of the member tree: one member, members, one group, groups, "
                   "groups and members",
                   [](QPainter& p, int i, const QRectF& c) {
                       switch (i) {
                       case 0:
                           A::person(p, at(c, 8, 4, 16, 24), A::blue());
                           break;
                       case 1:
                           A::people(p, at(c, 3, 4, 26, 24));
                           break;
                       case 2:
                           A::groupCard(p, at(c, 3, 5, 26, 22));
                           break;
                       case 3:
                           A::groupCard(p, at(c, 7, 2, 23, 19));
                           A::groupCard(p, at(c, 2, 10, 23, 19));
                           break;
                       default:
                           A::groupCard(p, at(c, 1, 3, 22, 19));
                           A::person(p, at(c, 18, 12, 13, 19), A::green());
                           break;
                       }
                   });
    list << bitmap(105, 16, 16, 3, kMask,
                   "IM window tabs: members, received messages, sent messages",
                   [](QPainter& p, int i, const QRectF& c) {
                       if (i == 0) {
                           A::people(p, at(c, 0, 1, 16, 14));
                           return;
                       }
                       A::envelope(p, at(c, 1, 4, 14, 10), false);
                       if (i == 1)
                           A::star(p, at(c, 8, 0, 8, 8), A::amber());
                       else
                           A::arrow(p, at(c, 8, 0, 8, 7), Arrow::Forward, A::blue());
                   });
    auto tool = [&](uint32_t id, const QString& role,
                    std::function<void(QPainter&, const QRectF&)> draw) {
        list << bitmap(id, 24, 24, 1, kMask, role,
                       [draw](QPainter& p, int, const QRectF& c) { draw(p, c); });
    };
    tool(106, "IM window toolbar: log on (shown while logged off)",
         [](QPainter& p, const QRectF& c) {
             A::door(p, at(c, 13, 2, 9, 20));
             A::arrow(p, at(c, 1, 8, 13, 9), Arrow::Forward, A::green());
         });
    tool(107, "IM window toolbar: log off (shown while logged on)",
         [](QPainter& p, const QRectF& c) {
             A::door(p, at(c, 2, 2, 9, 20));
             A::arrow(p, at(c, 10, 8, 13, 9), Arrow::Forward, A::orange());
         });
    tool(108, "IM window toolbar: remove rows from the list", [](QPainter& p, const QRectF& c) {
        A::listLines(p, at(c, 3, 1, 15, 20));
        A::cross(p, at(c, 12, 12, 11, 11), A::red());
    });
    tool(109, "IM window toolbar: open the message",
         [](QPainter& p, const QRectF& c) { A::envelope(p, at(c, 2, 2, 20, 20), true); });
    tool(110, "IM window toolbar: message to the selected members", newMessage24);
    tool(111, "IM window toolbar: reply (received) or edit again (sent)", reply24);
    tool(113, "IM window toolbar: forward the message", forward24);
    tool(114, "IM window button: new message", newMessage24);
    tool(115, "IM window button: message box", messageBox24);
    tool(116, "IM window button: change status", status24);
    tool(260, "IM window toolbar: settings menu",
         [](QPainter& p, const QRectF& c) { A::gear(p, at(c, 2, 2, 20, 20)); });
    tool(303, "IM window toolbar: message box", messageBox24);
    tool(306, "IM window button: chat", chat24);
    tool(311, "IM window toolbar: chat with the selected members", chat24);

    list << bitmap(338, 16, 16, 3, kMask, "Status colour swatches: green, yellow, red",
                   [](QPainter& p, int i, const QRectF& c) {
                       // The status colours 0x00CCFFCC, 0x00CCFFFF and 0x00CCCCFF.
                       const QColor colours[] = {QColor(0xCC, 0xFF, 0xCC), QColor(0xFF, 0xFF, 0xCC),
                                                 QColor(0xFF, 0xCC, 0xCC)};
                       A::swatch(p, at(c, 2, 2, 12, 12), colours[i]);
                   });
    tool(604, "IM window toolbar: status menu", [](QPainter& p, const QRectF& c) {
        A::person(p, at(c, 1, 2, 14, 19), A::blue());
        A::badge(p, at(c, 10, 12, 10, 10), Status::OnLine);
        A::triangle(p, at(c, 18, 5, 5, 3), Arrow::Down, CArtwork::ink());
    });
    list << bitmap(810, 16, 16, 2, kMask, "Message box drag images: one message, several",
                   [](QPainter& p, int i, const QRectF& c) {
                       if (i == 0) {
                           A::envelope(p, at(c, 1, 3, 14, 10), false);
                           return;
                       }
                       A::envelope(p, at(c, 3, 1, 12, 9), false);
                       A::envelope(p, at(c, 1, 6, 12, 9), false);
                   });
    list << bitmap(811, 32, 16, 32, kMask,
                   "Message list marks: index = priority 1 + dog-ear 2 + attachment 4 + "
                   "read 8 / forwarded 16 / replied 24",
                   messageMark);
    list << bitmap(812, 16, 16, 7, kMask,
                   "Message box folder tree: root, folder, trash, received, sent, drafts, "
                   "open folder",
                   [](QPainter& p, int i, const QRectF& c) {
                       switch (i) {
                       case 0:
                           A::tray(p, at(c, 1, 3, 14, 11), QColor(0x9E, 0xC5, 0xEE));
                           break;
                       case 1:
                           A::folder(p, at(c, 1, 2, 14, 12), false);
                           break;
                       case 2:
                           A::trash(p, at(c, 2, 1, 12, 14));
                           break;
                       case 3:
                           A::tray(p, at(c, 1, 5, 14, 10), QColor(0xA8, 0xDB, 0xB2));
                           A::arrow(p, at(c, 4, 0, 8, 8), Arrow::Down, A::green());
                           break;
                       case 4:
                           A::tray(p, at(c, 1, 5, 14, 10), QColor(0x9E, 0xC5, 0xEE));
                           A::arrow(p, at(c, 4, 0, 8, 8), Arrow::Up, A::blue());
                           break;
                       case 5:
                           A::page(p, at(c, 2, 1, 11, 14));
                           A::pencil(p, at(c, 7, 5, 9, 9));
                           break;
                       default:
                           A::folder(p, at(c, 1, 2, 14, 12), true);
                           break;
                       }
                   });
    list << bitmap(819, 24, 24, 7, kMask,
                   "Message box toolbar: new message, reply, forward, find, transfer setting, "
                   "thread tree, delete",
                   [](QPainter& p, int i, const QRectF& c) {
                       switch (i) {
                       case 0:
                           newMessage24(p, c);
                           break;
                       case 1:
                           reply24(p, c);
                           break;
                       case 2:
                           forward24(p, c);
                           break;
                       case 3:
                           A::magnifier(p, at(c, 2, 2, 20, 20));
                           break;
                       case 4:
                           A::funnel(p, at(c, 2, 2, 14, 15));
                           A::folder(p, at(c, 10, 11, 13, 11), false);
                           break;
                       case 5:
                           A::threadTree(p, at(c, 1, 2, 22, 20));
                           break;
                       default:
                           A::trash(p, at(c, 4, 1, 16, 21));
                           break;
                       }
                   });

    const QList<int> iconSizes{16, 24, 32, 48, 64, 96};
    list << icon(102, iconSizes, "Window icon of the IM window (the program mark)",
                 [](QPainter& p, const QRectF& c) { A::appMark(p, c); });
    list << icon(233, iconSizes, "Icon of the status dialog", [](QPainter& p, const QRectF& c) {
        const qreal s = c.width();
        A::person(p, QRectF(c.left() + s * 0.1, c.top() + s * 0.06, s * 0.62, s * 0.84), A::blue());
        A::badge(p, QRectF(c.left() + s * 0.5, c.top() + s * 0.5, s * 0.48, s * 0.48),
                 Status::OnLine);
    });
    list << icon(714, iconSizes, "Row icon of the notification options",
                 [](QPainter& p, const QRectF& c) {
                     const qreal s = c.width();
                     A::bell(p, QRectF(c.left() + s * 0.1, c.top() + s * 0.06, s * 0.8, s * 0.84));
                 });
    list << icon(
        880, iconSizes, "Importance mark of the receive window", [](QPainter& p, const QRectF& c) {
            const qreal s = c.width();
            p.save();
            p.setPen(QPen(A::red().darker(130), std::max<qreal>(1.0, s / 24)));
            p.setBrush(A::red());
            p.drawEllipse(c.adjusted(0.5, 0.5, -0.5, -0.5));
            p.restore();
            A::exclamation(p, QRectF(c.left() + s * 0.42, c.top() + s * 0.2, s * 0.16, s * 0.6),
                           Qt::white);
        });

    CImageSpec cursor;
    cursor.kind = ZELTARES_CURSOR;
    cursor.id = 820;
    cursor.tileWidth = cursor.tileHeight = 32;
    cursor.hotSpotX = cursor.hotSpotY = 1;
    cursor.role = "No-drop cursor of message and folder drags";
    cursor.draw = [](QPainter& p, int, const QRectF& c) {
        A::pointer(p, c.topLeft() + QPointF(0.5, 0.5), 17);
        A::noDrop(p, at(c, 13, 13, 16, 16));
    };
    list << cursor;
    return list;
}
