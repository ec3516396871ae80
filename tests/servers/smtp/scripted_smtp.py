#!/usr/bin/python3
"""A small SMTP server whose replies come from a script, for the cases a real server will not play.

    scripted_smtp.py --address A --port N --script FILE.json --record DIR

The script is a JSON object; everything in it is optional:
    "greeting": reply to send on connect
    "replies":  {"VERB": reply, "VERB ARGUMENT": reply, ...}
    "data_end": reply to the "." that ends DATA
A reply is a string (one line), a list of strings (a multi-line reply, sent as given, so the caller
writes the hyphens), or null: say nothing and keep reading (a silent server). "VERB ARGUMENT" keys
match the text after the verb with "TO:", "FROM:" and angle brackets removed, case-insensitively,
e.g. "RCPT busy@example.test". Without a script entry the usual positive replies are given. After a
reply whose code is 421 or 221 the connection is closed.

Every received line goes to DIR/commands.log (one per line, as received) and the bytes of each message
between DATA and its final "." line, still dot-stuffed, to DIR/message-N.txt (N from 1).
"""
import argparse
import asyncio
import json
import os
import signal

DEFAULT_REPLIES = {
    "HELO": "250 scripted.test",
    "EHLO": ["250-scripted.test", "250 8BITMIME"],
    "MAIL": "250 2.1.0 Ok",
    "RCPT": "250 2.1.5 Ok",
    "DATA": "354 End data with <CR><LF>.<CR><LF>",
    "RSET": "250 2.0.0 Ok",
    "NOOP": "250 2.0.0 Ok",
    "QUIT": "221 2.0.0 Bye",
}
MAX_LINE = 1 << 20


class Session:
    def __init__(self, server, reader, writer):
        self.server = server
        self.reader = reader
        self.writer = writer

    async def send(self, reply):
        """Sends a reply; returns False when the connection is to be closed after it."""
        if reply is None:
            return True
        lines = reply if isinstance(reply, list) else [reply]
        self.writer.write(b"".join(line.encode("latin-1") + b"\r\n" for line in lines))
        await self.writer.drain()
        last = lines[-1] if lines else ""
        return not (last.startswith("421") or last.startswith("221"))

    def reply_for(self, verb, argument):
        replies = self.server.script.get("replies", {})
        key = argument.upper()
        for prefix in ("TO:", "FROM:"):
            if key.startswith(prefix):
                key = key[len(prefix):]
        key = key.strip().strip("<>").strip()
        for name, reply in replies.items():
            parts = name.split(None, 1)
            if len(parts) == 2 and parts[0].upper() == verb and parts[1].upper() == key:
                return reply
        if verb in replies:
            return replies[verb]
        return DEFAULT_REPLIES.get(verb, "500 5.5.2 Error: command not recognized")

    async def read_line(self):
        line = await self.reader.readuntil(b"\n")
        self.server.log(line)
        return line

    async def run(self):
        if not await self.send(self.server.script.get("greeting", "220 scripted.test ESMTP")):
            return
        while True:
            line = await self.read_line()
            text = line.rstrip(b"\r\n").decode("latin-1")
            verb, _, argument = text.partition(" ")
            verb = verb.upper()
            reply = self.reply_for(verb, argument)
            if verb == "DATA" and reply is not None and str(reply if isinstance(reply, str) else reply[-1]).startswith("354"):
                await self.send(reply)
                body = bytearray()
                while True:
                    line = await self.read_line()
                    if line in (b".\r\n", b".\n"):
                        break
                    body += line
                self.server.record_message(bytes(body))
                reply = self.server.script.get("data_end", "250 2.0.0 Ok: queued")
            if not await self.send(reply):
                return


class Server:
    def __init__(self, script, record):
        self.script = script
        self.record = record
        self.messages = 0
        os.makedirs(record, exist_ok=True)
        self.commands = open(os.path.join(record, "commands.log"), "ab", buffering=0)

    def log(self, line):
        self.commands.write(line if line.endswith(b"\n") else line + b"\n")

    def record_message(self, body):
        self.messages += 1
        path = os.path.join(self.record, "message-%d.txt" % self.messages)
        with open(path + ".part", "wb") as f:
            f.write(body)
        os.replace(path + ".part", path)

    async def handle(self, reader, writer):
        try:
            await Session(self, reader, writer).run()
        except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
            pass
        finally:
            writer.close()


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--script")
    parser.add_argument("--record", required=True)
    args = parser.parse_args()
    script = {}
    if args.script:
        with open(args.script, encoding="utf-8") as f:
            script = json.load(f)
    server = Server(script, args.record)
    listener = await asyncio.start_server(server.handle, args.address, args.port, limit=MAX_LINE,
                                          reuse_address=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    async with listener:
        await stop.wait()


if __name__ == "__main__":
    asyncio.run(main())
