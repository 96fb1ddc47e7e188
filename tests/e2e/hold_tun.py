#!/usr/bin/env python3
"""Holds a tun device open, as a dialler does while its link is up: the kernel gives a tun
carrier only while a process holds it. Waits until it is killed.
    hold_tun.py NAME [COMMANDS-FIFO]
With a FIFO, each line written to it moves traffic of known size over the link, and "done"
is printed once it has moved:
    receive COUNT SIZE   COUNT IPv4 packets of SIZE bytes written into the tun: received
    send COUNT SIZE      COUNT UDP datagrams that make IPv4 packets of SIZE bytes, sent to
                         the far end (10.64.0.1, routed over the tun) and read off the tun:
                         a tun counts a packet as sent when its holder reads it"""
import fcntl
import os
import select
import socket
import signal
import struct
import sys

TUNSETIFF = 0x400454CA
IFF_TUN = 0x0001
IFF_NO_PI = 0x1000


def packet(size):
    # An IPv4 UDP packet from the far end to a port nobody listens on; its bytes are counted
    # as received whatever the stack then does with it.
    header = struct.pack("!BBHHHBBH4s4s", 0x45, 0, size, 0, 0, 64, 17, 0,
                         bytes([10, 64, 0, 1]), bytes([10, 64, 0, 2]))
    udp = struct.pack("!HHHH", 9, 9, size - 20, 0)
    return header + udp + bytes(size - 28)


fd = os.open("/dev/net/tun", os.O_RDWR)
fcntl.ioctl(fd, TUNSETIFF, struct.pack("16sH", sys.argv[1].encode(), IFF_TUN | IFF_NO_PI))
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
print("holding", sys.argv[1], flush=True)
if len(sys.argv) < 3:
    while True:
        signal.pause()
commands = os.open(sys.argv[2], os.O_RDWR | os.O_NONBLOCK)  # never sees an end of file
sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
pending = b""
while True:
    ready, _, _ = select.select([fd, commands], [], [])
    if fd in ready:
        os.read(fd, 65536)  # a packet sent over the link: now it counts
    if commands in ready:
        pending += os.read(commands, 4096)
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            words = line.decode().split()
            count, size = int(words[1]), int(words[2])
            if words[0] == "receive":
                data = packet(size)
                for _ in range(count):
                    os.write(fd, data)
            elif words[0] == "send":
                for _ in range(count):
                    sender.sendto(bytes(size - 28), ("10.64.0.1", 9))
                    os.read(fd, 65536)
            print("done", line.decode(), flush=True)
