#!/usr/bin/env python3
"""A lossy UDP relay on loopback from LISTEN_PORT (0: the system's pick, printed) to SERVER_PORT.
Each way a datagram is dropped at chance --loss, else delivered after --delay ms (up to 30 more at
chance --reorder), sometimes twice (--duplicate), seeded by --seed; it ends after --lifetime s."""
import argparse
import heapq
import itertools
import random
import select
import socket
import time

parser = argparse.ArgumentParser()
parser.add_argument("listen", type=int)
parser.add_argument("server", type=int)
for option, default in (("delay", 0), ("loss", 0), ("duplicate", 0), ("reorder", 0), ("seed", 1), ("lifetime", 300)):
    parser.add_argument("--" + option, type=float, default=default)
args = parser.parse_args()

rng = random.Random(int(args.seed))
front, back = (socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in range(2))
front.bind(("127.0.0.1", args.listen))
print(front.getsockname()[1], flush=True)
back.bind(("127.0.0.1", 0))
client = None
queue = []  # (due time, order, socket, address, datagram)
order = itertools.count()
end = time.monotonic() + args.lifetime
while time.monotonic() < end:
    timeout = max(0, min(0.05, queue[0][0] - time.monotonic())) if queue else 0.05
    for sock in select.select([front, back], [], [], timeout)[0]:
        data, source = sock.recvfrom(65536)
        if sock is front:
            client = source
        if (sock is front or client is not None) and rng.random() >= args.loss:
            to = (back, ("127.0.0.1", args.server)) if sock is front else (front, client)
            for _ in range(2 if rng.random() < args.duplicate else 1):
                late = rng.uniform(0, 30) if rng.random() < args.reorder else 0
                heapq.heappush(queue, (time.monotonic() + (args.delay + late) / 1000, next(order), *to, data))
    while queue and queue[0][0] <= time.monotonic():
        _, _, sock, address, data = heapq.heappop(queue)
        sock.sendto(data, address)
