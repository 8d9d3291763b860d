#!/usr/bin/python3
"""A member on a standard XMPP client (slixmpp): proves that Zelta speaks the standard.

Usage: interop_slixmpp.py JID PASSWORD HOST PORT ZELTA_JID REPLY_ID [chat]

Logs on (TLS, any certificate: a test server), prints "ready", then "presence FROM STATUS" for
the Zelta member's presence and "message SUBJECT|BODY" for the first message from it, answers
that message with a plain one (id REPLY_ID) and ends. With "chat" it then waits for an
invitation into a chat room (prints "invited ROOM"), joins it under its own user name, says
"hello room from slixmpp" there and ends once Zelta's member talks in the room (prints
"room-talk NICK|BODY"). Exits 1 when it did not get that far in 30 seconds.
"""
import asyncio
import ssl
import sys

import slixmpp


class Member(slixmpp.ClientXMPP):
    def __init__(self, jid, password, zelta, reply_id, chat):
        super().__init__(jid, password)
        self.zelta = zelta
        self.reply_id = reply_id
        self.chat = chat
        self.room = None
        self.done = False
        self.register_plugin("xep_0045")
        self.add_event_handler("session_start", self.start)
        self.add_event_handler("presence_available", self.presence)
        self.add_event_handler("message", self.message)
        self.add_event_handler("groupchat_invite", self.invited)
        self.add_event_handler("groupchat_message", self.room_message)

    async def start(self, _event):
        self.send_presence()
        await self.get_roster()
        print("ready", flush=True)

    def presence(self, p):
        if p["from"].bare == self.zelta:
            print("presence %s %s" % (p["from"], p["status"]), flush=True)

    def message(self, m):
        if m["from"].bare != self.zelta or m["type"] == "error" or not m["body"]:
            return
        print("message %s|%s" % (m["subject"], m["body"]), flush=True)
        reply = self.make_message(mto=self.zelta, msubject="re: " + m["subject"],
                                  mbody="hello from slixmpp\nline 2", mtype="normal")
        reply["id"] = self.reply_id
        reply.send()
        if not self.chat:
            self.finish()

    def invited(self, invitation):
        if self.room:
            return
        self.room = invitation["from"].bare
        print("invited %s" % self.room, flush=True)
        self.plugin["xep_0045"].join_muc(self.room, self.boundjid.user)
        asyncio.get_event_loop().call_later(
            1.0, lambda: self.send_message(mto=self.room, mbody="hello room from slixmpp",
                                           mtype="groupchat"))

    def room_message(self, m):
        if m["from"].bare != self.room or m["mucnick"] == self.boundjid.user or not m["body"]:
            return
        if m["delay"]["stamp"]:
            return  # what was said before this client came
        print("room-talk %s|%s" % (m["mucnick"], m["body"]), flush=True)
        if "hello room" not in m["body"]:
            self.finish()

    def finish(self):
        if not self.done:
            self.done = True
            asyncio.get_event_loop().call_later(1.0, self.disconnect)


def main():
    jid, password, host, port, zelta, reply_id = sys.argv[1:7]
    member = Member(jid, password, zelta, reply_id, sys.argv[7:8] == ["chat"])
    member.ssl_context.check_hostname = False
    member.ssl_context.verify_mode = ssl.CERT_NONE
    member.connect((host, int(port)))
    member.loop.call_later(30, member.disconnect)
    member.process(forever=False)
    sys.exit(0 if member.done else 1)


if __name__ == "__main__":
    main()
