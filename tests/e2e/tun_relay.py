#!/usr/bin/env python3
"""One end of a VPN-like tunnel for end-to-end tests: a TUN device whose packets travel
wrapped in UDP datagrams to the other end, as OpenVPN-style clients carry them.

tun_relay.py NAME LOCAL_ADDRESS:PORT PEER_ADDRESS:PORT --lifetime SECONDS
makes the TUN device NAME (the caller gives it its address and brings it up), then relays
until the lifetime ends. Both ends are in network namespaces of the test's own.
"""
import argparse
import fcntl
import os
import select
import socket
import struct
import time

TUNSETIFF = 0x400454CA
IFF_TUN = 0x0001
IFF_NO_PI = 0x1000


def endpoint(text):
    host, port = text.rsplit(":", 1)
    return host, int(port)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("name")
    parser.add_argument("local", type=endpoint)
    parser.add_argument("peer", type=endpoint)
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()
    tun = os.open("/dev/net/tun", os.O_RDWR)
    fcntl.ioctl(tun, TUNSETIFF, struct.pack("16sH", args.name.encode(), IFF_TUN | IFF_NO_PI))
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(args.local)
    print("ready", flush=True)
    end = time.monotonic() + args.lifetime
    while time.monotonic() < end:
        ready, _, _ = select.select([tun, udp], [], [], 0.5)
        # A packet that cannot go on (the device not up yet) is dropped, as a tunnel would.
        try:
            if tun in ready:
                udp.sendto(os.read(tun, 65535), args.peer)
            if udp in ready:
                os.write(tun, udp.recv(65535))
        except OSError:
            pass


if __name__ == "__main__":
    main()
