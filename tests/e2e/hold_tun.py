#!/usr/bin/env python3
"""Holds a tun device open, as a dialler does while its link is up: the kernel gives a tun
carrier only while a process holds it. Waits until it is killed.
    hold_tun.py NAME"""
import fcntl
import os
import signal
import struct
import sys

TUNSETIFF = 0x400454CA
IFF_TUN = 0x0001
IFF_NO_PI = 0x1000

fd = os.open("/dev/net/tun", os.O_RDWR)
fcntl.ioctl(fd, TUNSETIFF, struct.pack("16sH", sys.argv[1].encode(), IFF_TUN | IFF_NO_PI))
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
print("holding", sys.argv[1], flush=True)
while True:
    signal.pause()
