#!/usr/bin/python3
"""Misbehaving servers, for what real ones will not do.

    fake_server.py --address A --port N --mode MODE [--log FILE] [--greeting TEXT]
                   [--line-bytes N] [--reply-file FILE]

Modes:
    silent          accept and never send anything
    greet-silent    send the greeting, then never answer
    garbage         send bytes that are no protocol at all (binary noise, lines without a status)
    drop-mid-top    a POP3 server whose TOP and RETR replies stop after a few lines: connection dropped
    long-line       a POP3 server whose TOP and RETR replies hold one header line of --line-bytes bytes
                    (default 5 MiB), then the rest of the message and the final "."
    quit-open       a POP3 server that answers QUIT with +OK but leaves the connection open
    reply-file      read the request up to its empty line (or its first line when --first-line), send
                    the bytes of --reply-file as they are, then close (or keep the connection open with
                    --keep-open)

The POP3 modes accept any USER and PASS (and APOP), and hold one message. Every line received is
appended to --log. SIGTERM stops the server.
"""
import argparse
import asyncio
import signal

GREETING = "+OK fake POP3 server ready <1896.697170952@fake.test>"
MESSAGE = [
    b"From: Sender <sender@example.test>",
    b"To: alice@example.test",
    b"Subject: fake message",
    b"",
    b"First body line.",
    b"..A line that began with a dot.",
    b"Last body line.",
]
MESSAGE_SIZE = sum(len(line) + 2 for line in MESSAGE)
MAX_LINE = 1 << 20


class Fake:
    def __init__(self, args):
        self.args = args
        self.log_file = open(args.log, "ab", buffering=0) if args.log else None
        self.greeting = (args.greeting if args.greeting is not None else GREETING).encode("latin-1")

    def log(self, line):
        if self.log_file:
            self.log_file.write(line if line.endswith(b"\n") else line + b"\n")

    async def read_line(self, reader):
        line = await reader.readuntil(b"\n")
        self.log(line)
        return line

    async def drain_forever(self, reader):
        # Reads and logs what the client sends until it gives up; never answers.
        while True:
            await self.read_line(reader)

    async def send(self, writer, *lines):
        writer.write(b"".join(line + b"\r\n" for line in lines))
        await writer.drain()

    async def pop3(self, reader, writer, mode):
        await self.send(writer, self.greeting)
        while True:
            line = await self.read_line(reader)
            words = line.strip().split()
            verb = words[0].upper() if words else b""
            if verb == b"QUIT":
                await self.send(writer, b"+OK bye")
                if mode == "quit-open":
                    await self.drain_forever(reader)
                return
            if verb in (b"USER", b"PASS", b"APOP", b"NOOP", b"RSET", b"DELE"):
                await self.send(writer, b"+OK")
            elif verb == b"STAT":
                await self.send(writer, b"+OK 1 %d" % MESSAGE_SIZE)
            elif verb == b"LIST":
                await self.send(writer, b"+OK 1 %d" % MESSAGE_SIZE)
            elif verb == b"UIDL":
                await self.send(writer, b"+OK 1 fake-uid-0001")
            elif verb in (b"TOP", b"RETR"):
                await self.send(writer, b"+OK message follows")
                if mode == "drop-mid-top":
                    await self.send(writer, *MESSAGE[:2])
                    writer.transport.abort()
                    return
                if mode == "long-line":
                    writer.write(b"X-Long: ")
                    chunk = b"x" * 65536
                    left = max(self.args.line_bytes - 8, 0)
                    while left > 0:
                        writer.write(chunk[:left])
                        left -= min(left, len(chunk))
                        await writer.drain()
                    writer.write(b"\r\n")
                lines = MESSAGE[:4] if verb == b"TOP" else MESSAGE
                await self.send(writer, *lines, b".")
            else:
                await self.send(writer, b"-ERR unknown command")

    async def handle(self, reader, writer):
        mode = self.args.mode
        try:
            if mode == "silent":
                await self.drain_forever(reader)
            elif mode == "greet-silent":
                await self.send(writer, self.greeting)
                await self.drain_forever(reader)
            elif mode == "garbage":
                writer.write(bytes(range(256)) + b"\r\n")
                await self.send(writer, b"Garbage without any status", b"\x00\x01\xff\xfe", b"-")
                await self.drain_forever(reader)
            elif mode == "reply-file":
                while True:
                    line = await self.read_line(reader)
                    if self.args.first_line or line in (b"\r\n", b"\n"):
                        break
                with open(self.args.reply_file, "rb") as f:
                    writer.write(f.read())
                await writer.drain()
                if self.args.keep_open:
                    await self.drain_forever(reader)
            else:
                await self.pop3(reader, writer, mode)
        except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
            pass
        finally:
            writer.close()


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--mode", required=True,
                        choices=["silent", "greet-silent", "garbage", "drop-mid-top", "long-line",
                                 "quit-open", "reply-file"])
    parser.add_argument("--log")
    parser.add_argument("--greeting")
    parser.add_argument("--line-bytes", type=int, default=5 * 1024 * 1024)
    parser.add_argument("--reply-file")
    parser.add_argument("--first-line", action="store_true")
    parser.add_argument("--keep-open", action="store_true")
    args = parser.parse_args()
    if args.mode == "reply-file" and not args.reply_file:
        parser.error("reply-file needs --reply-file")
    fake = Fake(args)
    listener = await asyncio.start_server(fake.handle, args.address, args.port, limit=MAX_LINE,
                                          reuse_address=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    async with listener:
        await stop.wait()


if __name__ == "__main__":
    asyncio.run(main())
